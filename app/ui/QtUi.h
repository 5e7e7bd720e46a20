#pragma once

#include "core/Ports.h"

#include <QHash>

class QtDialogHost;

// Runs the windows of the logic as Qt dialogs.
class QtUi final : public Ui {
  public:
    ~QtUi() override;
    int runModal(DialogLogic& logic) override;
    void createModeless(DialogLogic& logic) override;
    void destroyModeless(DialogLogic& logic) override;
    MessageResult messageBox(std::u16string_view text, std::u16string_view title,
                             MessageButtons buttons) override;

    // Closes every message box, menu and modal window but the outermost, so a
    // session that ends does not wait for answers nobody will give.
    static void dismissNestedModals();

  private:
    QHash<DialogLogic*, QtDialogHost*> modeless_;
};

// Waits keep the event loop turning, so posted engine events are handled.
class QtClock final : public Clock {
  public:
    void wait(int milliseconds) override;
    LocalTime now() const override;
};

class QtPoster final : public UiPoster {
  public:
    void post(std::function<void()> task) override;
};
