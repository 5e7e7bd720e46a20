#include "ContactStore.h"

#include "settings/Archive.h"

#include <algorithm>

const std::u16string& ContactRecord::number() const {
    if (!fields[FieldMobile].empty())
        return fields[FieldMobile];
    if (!fields[FieldPhone].empty())
        return fields[FieldPhone];
    return fields[FieldPager];
}

int ContactStore::FindContact(std::u16string_view name) const {
    for (std::size_t i = 0; i < contacts_.size(); ++i)
        if (contacts_[i].name() == name)
            return static_cast<int>(i);
    return -1;
}

bool ContactStore::AddContact(const ContactRecord& record) {
    if (full() || record.name().empty())
        return false;
    contacts_.push_back(record);
    return true;
}

bool ContactStore::UpdateContact(std::u16string_view oldName, const ContactRecord& record) {
    const int index = FindContact(oldName);
    if (index < 0 || record.name().empty())
        return false;
    contacts_[static_cast<std::size_t>(index)] = record;
    return true;
}

bool ContactStore::DeleteContact(std::u16string_view name) {
    const int index = FindContact(name);
    if (index < 0)
        return false;
    contacts_.erase(contacts_.begin() + index);
    deletedThisRun_ = true;
    return true;
}

std::vector<std::uint8_t> ContactStore::write() const {
    ArchiveWriter out;
    out.writeInt(count());
    for (const auto& contact : contacts_)
        for (const auto& field : contact.fields)
            out.writeString(field);
    return out.bytes();
}

bool ContactStore::read(std::span<const std::uint8_t> bytes) {
    contacts_.clear();
    ArchiveReader in(bytes);
    const auto announced = in.readInt();
    if (!announced || *announced < 0)
        return false;
    const int wanted = std::min(*announced, Capacity);
    bool whole = *announced <= Capacity;
    for (int i = 0; i < wanted; ++i) {
        ContactRecord record;
        int fieldsRead = 0;
        for (auto& field : record.fields) {
            auto text = in.readString();
            if (!text)
                break;
            field = std::move(*text);
            ++fieldsRead;
        }
        // A contact without a name ends the list, as an empty slot does.
        if (record.name().empty())
            return false;
        contacts_.push_back(std::move(record));
        if (fieldsRead < ContactFieldCount)
            return false;
    }
    return whole;
}

void ContactStore::LoadContacts(Files& files) {
    contacts_.clear();
    loadedWhole_ = true;
    if (!files.exists(ContactFileName))
        return;
    auto bytes = files.read(ContactFileName);
    loadedWhole_ = bytes && read(*bytes);
}

bool ContactStore::SaveContacts(Files& files) {
    // An empty store overwrites the file only when the subscriber emptied it.
    if (contacts_.empty() && !deletedThisRun_)
        return true;
    if (!loadedWhole_ && !backupMade_) {
        // Keep what could not be read before the file is replaced.
        if (files.exists(ContactFileName)) {
            auto old = files.read(ContactFileName);
            if (!old || !files.save(ContactBackupName, *old, false))
                return false;
        }
        backupMade_ = true;
    }
    return files.save(ContactFileName, write(), false);
}
