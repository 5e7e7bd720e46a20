#pragma once

#include "ContactStore.h"
#include "core/DialogLogic.h"
#include "resources/ResourceIds.h"

#include <optional>
#include <string>

// The contact details window: a form for a new contact or the selected one.
// It checks the fields; the contacts panel files the record it hands back.
class CContactProperties : public DialogLogic {
  public:
    int dialogId() const override { return res::DlgContactProperties; }

    char16_t mode = u'N'; // 'N' a new contact, 'E' edit `record`
    ContactRecord record; // shown when editing; what was entered after OK

    // The first complaint about the fields, in the order they are checked.
    static std::optional<std::u16string> Check(const ContactRecord& record);

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;

  private:
    ContactRecord entered() const;
    void accept();
};
