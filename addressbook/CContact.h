#pragma once

#include "AddressBookOwner.h"
#include "CContactProperties.h"
#include "ContactStore.h"
#include "core/Ports.h"
#include "core/SidePanel.h"
#include "resources/ResourceIds.h"

#include <string>

// The contacts panel. It holds the contact store, lists the contacts in a
// sorted tree with a search by name, adds, edits, deletes and calls them, and
// writes the store at exit.
class CContact : public SidePanel {
  public:
    CContact(AddressBookOwner& owner, Ui& ui, Files& files) : owner_(owner), ui_(ui), files_(files) {}

    int dialogId() const override { return res::DlgContacts; }

    ContactStore store;
    CContactProperties details;

    // Writes the contact file; false when writing failed.
    bool SaveContacts() { return store.SaveContacts(files_); }

    // Tooltips: the short one the tree starts with, the longer one a search gives.
    static std::u16string LoadText(const ContactRecord& contact);
    static std::u16string SearchText(const ContactRecord& contact);

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;
    void onShown() override;
    void onBodyPressed() override;
    void onEditChanged(int id) override;
    void onTreeActivated(int id) override;
    void onCloseRequest() override { close(); }

    void AddNewContact();
    void EditContact();
    void DeleteSelected();
    void CallSelected();
    void Search(const std::u16string& prefix);
    void close();

  private:
    void showMenu();
    int insertItem(const ContactRecord& contact, bool searchText);
    void file(const ContactRecord& entered, int selected);

    AddressBookOwner& owner_;
    Ui& ui_;
    Files& files_;
};
