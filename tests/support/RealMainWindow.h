#pragma once

// The main window's logic on a real Qt host with fake services, shown and
// registered as after a first login, for the tests that need the real widgets.

#include "app/CZUBSoftPhoneDlg.h"
#include "app/ui/QtUi.h"
#include "controls/QtDialogHost.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "support/Fakes.h"

#include <memory>

struct RealMainWindow {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    QtUi ui;
    CZUBSoftPhoneDlg main{platform.window(files, ui)};
    std::unique_ptr<QtDialogHost> host; // goes before the logic it shows

    RealMainWindow() {
        files.ensureFolder();
        main.replyText = fromUtf8(sampleProvisioningReply());
        main.userName = u"demo";
        platform.http.queueScrambled("prepaid#12.40");
        host = std::make_unique<QtDialogHost>(*res::findDialog(res::DlgMain), main);
        main.onInitDialog();
        host->show();
    }
};
