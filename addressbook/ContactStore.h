#pragma once

#include "core/Ports.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The fields of a contact, in the order of the contact file.
enum ContactField {
    FieldName,
    FieldNickName,
    FieldAddress,
    FieldAddressType, // "HA" home, "OA" office
    FieldCity,
    FieldState,
    FieldCountry,
    FieldPinCode,
    FieldPhone,
    FieldPager,
    FieldMobile,
    FieldFax,
    FieldEmail,
    ContactFieldCount
};

struct ContactRecord {
    std::array<std::u16string, ContactFieldCount> fields{};

    const std::u16string& operator[](ContactField f) const { return fields[f]; }
    std::u16string& operator[](ContactField f) { return fields[f]; }
    const std::u16string& name() const { return fields[FieldName]; }
    // The number a call goes to: Mobile, else Phone, else Pager; empty when none.
    const std::u16string& number() const;
    bool operator==(const ContactRecord&) const = default;
};

inline constexpr std::string_view ContactFileName = "contact_Ringlark.bin";
inline constexpr std::string_view ContactBackupName = "contact_Ringlark.bin.bak";

// The local address book: up to 1000 contacts in insertion order, looked up by
// the first equal name. Used slots are always the leading ones.
class ContactStore {
  public:
    static constexpr int Capacity = 1000;

    int count() const { return static_cast<int>(contacts_.size()); }
    bool full() const { return count() >= Capacity; }
    const ContactRecord& at(int index) const { return contacts_[static_cast<std::size_t>(index)]; }
    const std::vector<ContactRecord>& contacts() const { return contacts_; }

    // Index of the first contact named `name`, -1 when none.
    int FindContact(std::u16string_view name) const;
    // false when the store is full or the record has no name.
    bool AddContact(const ContactRecord& record);
    // Replaces the first contact named `oldName`; false when there is none.
    bool UpdateContact(std::u16string_view oldName, const ContactRecord& record);
    // Removes the first contact named `name`; later contacts move up by one.
    bool DeleteContact(std::u16string_view name);

    // Reads the contact file. A file that stops short keeps what was read
    // before the problem; such a file is kept as a backup before it is replaced.
    void LoadContacts(Files& files);
    // Writes the contact file; false when writing failed.
    bool SaveContacts(Files& files);

    // The file's bytes for the contacts held, and reading them back. read()
    // returns true when the bytes held exactly what they announced.
    std::vector<std::uint8_t> write() const;
    bool read(std::span<const std::uint8_t> bytes);

    bool loadedWhole() const { return loadedWhole_; }

  private:
    std::vector<ContactRecord> contacts_;
    bool loadedWhole_ = true;
    bool deletedThisRun_ = false;
    bool backupMade_ = false;
};
