#include "form_selcontact.h"

namespace parlevo {

// Not built yet: the picker lists nothing and chooses nothing.
Form_SelContact::Form_SelContact(AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form_SelContact"));
}

void Form_SelContact::ImporteCarnet() {}

void Form_SelContact::Init()
{
    Result = false;
    SelContact = nullptr;
}

QList<ClassContact *> Form_SelContact::selectedContacts() const
{
    return {};
}

} // namespace parlevo
