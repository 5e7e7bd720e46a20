#include "CSettingsWindow.h"

#include "COptions.h"

void CSettingsWindow::onInitDialog() {
    auto& v = view();
    v.addTreeItem(res::SettingsTree, u"General");
    general_.attach(&v);
    general_.onInitDialog();
    // Each opening reads the file again; what it does not hold keeps the page's values.
    auto& files = options_.services().files;
    if (auto bytes = files.read(ApplicationFileName))
        general_.values = ApplicationSettings::read(*bytes, general_.values).record;
    v.setFocus(res::SettingsTree);
    general_.showPage();
}

void CSettingsWindow::onCommand(int id) {
    if (id == res::SettingsTree)
        general_.showPage(); // the one item, "General"
    else
        general_.onCommand(id);
}

bool CSettingsWindow::onKey(const KeyPress& key) {
    // Enter neither applies nor closes anything here.
    return key.key == Key::Enter;
}
