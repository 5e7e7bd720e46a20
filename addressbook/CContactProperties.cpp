#include "CContactProperties.h"

#include <array>
#include <utility>

using namespace res;

namespace {

// Edit controls and the fields they hold.
constexpr std::array<std::pair<int, ContactField>, 12> Edits{{
    {ContactNameEdit, FieldName},
    {ContactNickNameEdit, FieldNickName},
    {ContactAddressEdit, FieldAddress},
    {ContactCityEdit, FieldCity},
    {ContactStateEdit, FieldState},
    {ContactCountryEdit, FieldCountry},
    {ContactPinCodeEdit, FieldPinCode},
    {ContactPhoneEdit, FieldPhone},
    {ContactPagerEdit, FieldPager},
    {ContactMobileEdit, FieldMobile},
    {ContactFaxEdit, FieldFax},
    {ContactEmailEdit, FieldEmail},
}};

bool digitsOnly(const std::u16string& text) {
    for (char16_t c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

std::optional<std::u16string> CContactProperties::Check(const ContactRecord& r) {
    if (r[FieldName].empty() || (r[FieldMobile].empty() && r[FieldPager].empty() && r[FieldPhone].empty()))
        return u"UserName and Contact number can not be left blank";
    const std::pair<ContactField, const char16_t*> numeric[] = {
        {FieldMobile, u"Mobile number should be numeric"}, {FieldPhone, u"Phone number should be numeric"},
        {FieldPager, u"Pager number should be numeric"},   {FieldFax, u"Fax should be numeric"},
        {FieldPinCode, u"Pincode should be numeric"},
    };
    for (const auto& [field, complaint] : numeric)
        if (!digitsOnly(r[field]))
            return complaint;
    const std::pair<ContactField, const char16_t*> lengths[] = {
        {FieldEmail, u"Email address should be less than 50 characters"},
        {FieldCity, u"City should be less than 50 characters"},
        {FieldCountry, u"Country should be less than 50 characters"},
    };
    for (const auto& [field, complaint] : lengths)
        if (r[field].size() > 50)
            return complaint;
    const auto& email = r[FieldEmail];
    if (!email.empty()) {
        const auto at = email.find(u'@');
        if (at == std::u16string::npos || email.find(u'.', at + 1) == std::u16string::npos)
            return u"Email address not valid";
    }
    if (r[FieldName].size() > 25)
        return u"Contact name can take only 25 characters ";
    if (r[FieldPhone].size() > 25 || r[FieldMobile].size() > 25)
        return u"Contact number can take only 25 digits";
    return std::nullopt;
}

void CContactProperties::onInitDialog() {
    auto& v = view();
    if (mode != u'E')
        record = ContactRecord{};
    for (const auto& [id, field] : Edits)
        v.setText(id, record[field]);
    const bool office = mode == u'E' && record[FieldAddressType] == u"OA";
    v.setDown(ContactHomeRadio, !office);
    v.setDown(ContactOfficeRadio, office);
    v.setFocus(ContactNameEdit);
}

ContactRecord CContactProperties::entered() const {
    ContactRecord r;
    for (const auto& [id, field] : Edits)
        r[field] = view().text(id);
    r[FieldAddressType] = view().isDown(ContactHomeRadio) ? u"HA" : u"OA";
    return r;
}

void CContactProperties::accept() {
    const auto r = entered();
    if (const auto complaint = Check(r)) {
        view().messageBox(*complaint, u"Ringlark", MessageButtons::Ok);
        view().setFocus(ContactNameEdit);
        return;
    }
    record = r;
    view().endDialog(IdOk);
}

void CContactProperties::onCommand(int id) {
    switch (id) {
    case ContactOk:
        accept();
        break;
    case ContactCancel:
        view().endDialog(IdCancel);
        break;
    case ContactHomeRadio:
    case ContactOfficeRadio:
        view().setDown(ContactHomeRadio, id == ContactHomeRadio);
        view().setDown(ContactOfficeRadio, id == ContactOfficeRadio);
        break;
    default:
        break;
    }
}

bool CContactProperties::onKey(const KeyPress& key) {
    if (key.key == Key::Enter) {
        accept();
        return true;
    }
    if (key.key == Key::Escape) {
        view().endDialog(IdCancel);
        return true;
    }
    return false;
}
