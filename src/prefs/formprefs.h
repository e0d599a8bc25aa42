#pragma once

#include "addressbook/contactfields.h"
#include "base/activitywindow.h"
#include "base/config.h"

#include <array>

class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QSpinBox;
class QTimer;

namespace parlevo {

class AutoSave;
struct Basics;
class ClassSendora;
class TextTable;

// The account, the default sender and the address book's visible columns. Every change applies
// to the running program at once; the configuration file keeps it at shutdown.
class Form_Prefs final : public SectionPage {
    Q_OBJECT
public:
    static constexpr int kColumnCount = int(kContactFields.size());

    Form_Prefs(const Basics &basics, ClassSendora &gateway, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_Prefs)

    // Shows the values in force now.
    void Init() override;

private:
    // Every setting is applied as it is changed; this has it saved soon after.
    void configChanged();
    QLineEdit *addField(const char16_t *labelName, const QString &label, const char16_t *editName);
    void addProxyRow();
    void proxyEdited();
    QSpinBox *addNumber(QHBoxLayout &row, const QString &label, const char16_t *editName, int minimum, int maximum,
                        qint32 Config::*value);

    const TextTable &m_textes;
    Config &m_config;
    AutoSave &m_autoSave;
    ClassSendora &m_gateway;
    QLineEdit *m_expediteur;
    QLineEdit *m_myNumber;
    QLineEdit *m_mail;
    QLineEdit *m_password;
    QLineEdit *m_proxyHost;
    QLineEdit *m_proxyPort;
    QLineEdit *m_proxyUser;
    QLineEdit *m_proxyPassword;
    QTimer *m_accountSettled;
    std::array<QCheckBox *, kColumnCount> m_columns{};
    QSpinBox *m_perMinute;
    QSpinBox *m_parallel;
    QCheckBox *m_commercial;
};

} // namespace parlevo
