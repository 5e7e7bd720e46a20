#include "CContact.h"

#include "resources/Dialogs.h"

using namespace res;

namespace {

std::u16string spaces(int count) {
    return std::u16string(static_cast<std::size_t>(count), u' ');
}

constexpr int NoImage = -1; // contacts are listed by name alone

constexpr std::u16string_view NothingSelected = u"No Item Selected, First Select an Item";

} // namespace

std::u16string CContact::LoadText(const ContactRecord& c) {
    const auto line = [](std::u16string_view label, const std::u16string& number) {
        return u"\n     " + std::u16string(label) + spaces(11) + number + u"    \n\n";
    };
    if (!c[FieldMobile].empty())
        return line(u"Mobile", c[FieldMobile]);
    if (!c[FieldPhone].empty())
        return line(u"Phone", c[FieldPhone]);
    if (!c[FieldPager].empty())
        return line(u"Pager", c[FieldPager]);
    return {};
}

std::u16string CContact::SearchText(const ContactRecord& c) {
    std::u16string numberLine;
    if (!c[FieldMobile].empty())
        numberLine = u"\nMobile" + spaces(7) + c[FieldMobile];
    else if (!c[FieldPhone].empty())
        numberLine = u"\nPhone" + spaces(7) + c[FieldPhone];
    else
        numberLine = u"\nPager" + spaces(6) + c[FieldPager];
    return u"\nNAME" + spaces(8) + c.name() + numberLine + u"\nEmail" + spaces(9) + c[FieldEmail] +
           u"\nCountry" + spaces(4) + c[FieldCountry] + u"\n";
}

int CContact::insertItem(const ContactRecord& contact, bool searchText) {
    const int item = view().treeInsert(ContactsTree, 0, contact.name(), NoImage, TreeInsert::Sorted);
    view().treeSetTooltip(ContactsTree, item, searchText ? SearchText(contact) : LoadText(contact),
                          contact.name());
    return item;
}

void CContact::onInitDialog() {
    auto& v = view();
    v.showWindow(false);
    v.setVisible(Close, true);
    v.setVisible(ContactsHiddenClose, false);
    v.setVisible(PanelDetach, false);
    v.setVisible(PanelReattach, false);
    if (!files_.ensureFolder())
        return;
    store.LoadContacts(files_);
    v.treeClear(ContactsTree);
    for (const auto& contact : store.contacts())
        if (!contact.number().empty())
            insertItem(contact, false);
    v.setTooltip(Close, u"Close");
    v.setTooltip(ContactsMenuButton, u"Options");
    v.setTooltip(ContactsTree, u"Tree Tool Tip");
}

void CContact::close() {
    hide();
    owner_.panelClosed(ShowContactsArrow);
}

void CContact::onShown() {
    view().treeSelect(ContactsTree, 0);
    view().setFocus(ContactsMenuButton);
}

void CContact::onBodyPressed() {
    view().startDrag();
    view().setFocus(ContactsMenuButton);
    view().treeSelect(ContactsTree, 0);
}

void CContact::Search(const std::u16string& prefix) {
    auto& v = view();
    v.treeClear(ContactsTree);
    // Every match is listed, however many there are.
    for (const auto& contact : store.contacts()) {
        if (!prefix.empty() && !contact.name().starts_with(prefix))
            continue;
        // A name stored twice shows the first contact of that name each time.
        insertItem(prefix.empty() ? contact : store.at(store.FindContact(contact.name())), true);
    }
}

void CContact::onEditChanged(int id) {
    if (id == ContactSearchEdit)
        Search(view().text(ContactSearchEdit));
}

void CContact::file(const ContactRecord& entered, int selected) {
    auto& v = view();
    if (details.mode == u'N') {
        if (!store.AddContact(entered))
            return;
        insertItem(entered, false);
        return;
    }
    const auto oldName = v.treeLabel(ContactsTree, selected);
    int item = selected;
    if (entered.name() != oldName) {
        v.treeRemove(ContactsTree, selected);
        item = v.treeInsert(ContactsTree, 0, entered.name(), NoImage, TreeInsert::Sorted);
    }
    v.treeSetTooltip(ContactsTree, item, LoadText(entered), entered.name());
    store.UpdateContact(oldName, entered);
}

void CContact::AddNewContact() {
    if (store.full()) {
        view().messageBox(
            u"The contact list is full (1000 contacts). Delete a contact before adding another.", u"Ringlark",
            MessageButtons::Ok);
        return;
    }
    details.mode = u'N';
    if (ui_.runModal(details) != IdOk)
        return;
    file(details.record, 0);
    hide();
    show();
}

void CContact::EditContact() {
    const int selected = view().treeSelected(ContactsTree);
    if (!selected) {
        view().messageBox(NothingSelected, u"Ringlark", MessageButtons::Ok);
        return;
    }
    const int index = store.FindContact(view().treeLabel(ContactsTree, selected));
    if (index < 0)
        return;
    details.mode = u'E';
    details.record = store.at(index);
    if (ui_.runModal(details) == IdOk)
        file(details.record, selected);
}

void CContact::DeleteSelected() {
    auto& v = view();
    const int selected = v.treeSelected(ContactsTree);
    if (!selected) {
        v.messageBox(NothingSelected, u"Ringlark", MessageButtons::Ok);
        v.treeSelect(ContactsTree, 0);
        return;
    }
    const auto name = v.treeLabel(ContactsTree, selected);
    if (v.messageBox(u"Do you really want to delete '" + name + u"' from Contact list ?", u"Ringlark",
                     MessageButtons::OkCancel) != MessageResult::Ok)
        return;
    store.DeleteContact(name);
    int previous = 0;
    for (int item : v.treeChildren(ContactsTree, 0)) {
        if (item == selected)
            break;
        previous = item;
    }
    v.treeRemove(ContactsTree, selected);
    v.treeSelect(ContactsTree, previous);
    v.setFocus(ContactsTree);
}

void CContact::CallSelected() {
    if (owner_.currentLineBusy()) {
        owner_.guardedMessage(u"Multiple calls are not allowed in the application");
        return;
    }
    if (!owner_.isRegistered()) {
        view().messageBox(u"You are not Registered", u"Ringlark", MessageButtons::Ok);
        return;
    }
    const int selected = view().treeSelected(ContactsTree);
    if (!selected)
        return;
    const auto name = view().treeLabel(ContactsTree, selected);
    owner_.showNumber(name);
    const int index = store.FindContact(name);
    if (index < 0 || store.at(index).number().empty())
        return;
    owner_.dialNumber(store.at(index).number());
    close();
}

void CContact::showMenu() {
    auto& v = view();
    const bool selected = v.treeSelected(ContactsTree) != 0;
    v.setMenuItemGreyed(MenuContacts, CmdAddContact, selected);
    for (int command : {CmdCallContact, CmdEditContact, CmdDeleteContact})
        v.setMenuItemGreyed(MenuContacts, command, !selected);
    int x = 0, y = 0;
    for (const auto& control : findDialog(DlgContacts)->controls)
        if (control.id == ContactsMenuButton)
            x = control.x, y = control.y + control.height;
    const auto rect = v.windowRect();
    if (const int chosen = v.popupMenu(MenuContacts, rect.x + x, rect.y + y))
        onCommand(chosen);
}

void CContact::onCommand(int id) {
    switch (id) {
    case Close:
    case ContactsHiddenClose:
        close();
        break;
    case ContactsMenuButton:
        showMenu();
        break;
    case CmdAddContact:
        AddNewContact();
        break;
    case CmdEditContact:
        EditContact();
        break;
    case CmdDeleteContact:
        DeleteSelected();
        break;
    case CmdCallContact:
        CallSelected();
        break;
    default:
        break;
    }
}

bool CContact::onKey(const KeyPress& key) {
    // Delete in the search box edits the search text.
    if (key.key == Key::Delete && view().focusedControl() != ContactSearchEdit) {
        DeleteSelected();
        return true;
    }
    // The panel is never closed by Escape or Enter.
    return key.key == Key::Escape || key.key == Key::Enter;
}

void CContact::onTreeActivated(int id) {
    if (id == ContactsTree && view().treeSelected(ContactsTree))
        CallSelected();
}
