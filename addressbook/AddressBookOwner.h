#pragma once

#include "core/WindowPort.h"
#include "services/AccountServices.h"

#include <string>
#include <string_view>

// What the contacts and recent-calls panels need of the main window.
class AddressBookOwner {
  public:
    virtual ~AddressBookOwner() = default;
    virtual bool isRegistered() const = 0;
    // The current line holds a call in any state.
    virtual bool currentLineBusy() const = 0;
    // Shows the message with the main window's modal-message guard raised.
    virtual MessageResult guardedMessage(std::u16string_view text) = 0;
    // Puts `text` into the number display.
    virtual void showNumber(std::u16string text) = 0;
    // Puts `number` into the number display and runs the Call command.
    virtual void dialNumber(std::u16string number) = 0;
    // A panel closed: the main window shows the button (">>" or "<<") that brings it back.
    virtual void panelClosed(int reopenButton) = 0;
    // The call records last fetched from the account service.
    virtual const ServerCallRecords& serverCallRecords() const = 0;
    // The calls-per-list option as typed.
    virtual std::u16string callsPerListText() const = 0;
};
