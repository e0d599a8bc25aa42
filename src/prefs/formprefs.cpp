#include "formprefs.h"

#include "base/autosave.h"
#include "base/basics.h"
#include "base/config.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/theme.h"
#include "base/txt.h"
#include "gateway/classsendora.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kFieldIndent = 20;
constexpr int kLabelWidth = 130;
constexpr int kFieldWidth = 280;
constexpr int kNumberWidth = 160;
constexpr int kProxyPortWidth = 64;
// The credit of a changed account is asked once the typing has paused this long.
constexpr int kAccountSettleMs = 1000;
// A pace above one SMS a millisecond is no pace at all.
constexpr int kMaxPerMinute = 60000;
// The preferences sit beside the sending folder, not above it: the bound is repeated here.
constexpr int kMaxParallel = 8;

class AsteriskPasswordStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

Form_Prefs::Form_Prefs(const Basics &basics, ClassSendora &gateway, QWidget *parent)
    : SectionPage(basics.textes(Txt::Settings), activityIcon(Activity::Prefs), parent)
    , m_textes(basics.textes)
    , m_config(basics.config)
    , m_autoSave(basics.autoSave)
    , m_gateway(gateway)
{
    setObjectName(u"Form_Prefs"_s);
    const TextTable &textes = m_textes;
    QVBoxLayout *content = contentLayout();

    // The account's help beside its heading: the proxy's row below then still fits 800 by 600.
    {
        QWidget *heading = makeHeading(u"LabelCompteKXSMS"_s, textes(Txt::UserAccount));
        auto *row = static_cast<QHBoxLayout *>(heading->layout());
        row->setStretch(row->count() - 1, 0);
        QLabel *help = makeHelp(u"LabelHelpCompteKXSMS"_s, textes(Txt::UserAccountHelp));
        help->setParent(heading);
        help->setContentsMargins(8, 0, 0, 0);
        row->addWidget(help, 1);
        content->addWidget(heading);
    }
    m_mail = addField(u"LabelSendoraMail", textes(Txt::EmailAddress) + u" :"_s, u"Text_SendoraMail");
    m_password = addField(u"LabelSendoraPassword", textes(Txt::Password) + u" :"_s, u"Text_SendoraPassword");
    // Every character of the password shows as an asterisk, whatever the desktop's style uses.
    auto *maskStyle = new AsteriskPasswordStyle;
    maskStyle->setParent(m_password);
    m_password->setStyle(maskStyle);
    m_password->setEchoMode(QLineEdit::Password);
    addProxyRow();

    content->addWidget(makeHeading(u"LabelExpediteurSMS"_s, textes(Txt::SmsSender)));
    content->addWidget(makeHelp(u"LabelHelpExpediteur"_s, textes(Txt::SmsSenderHelp)));
    m_expediteur = addField(u"LabelExpediteur", textes(Txt::Sender), u"TextExpediteur");
    // Beside the sender, on its row: the page then still fits 800 by 600.
    {
        QWidget *row = m_expediteur->parentWidget();
        auto *layout = static_cast<QHBoxLayout *>(row->layout());
        auto *caption = new QLabel(textes(Txt::MyNumber) + u" :"_s, row);
        caption->setObjectName(u"LabelMyNumber"_s);
        m_myNumber = new QLineEdit(row);
        m_myNumber->setObjectName(u"TextMyNumber"_s);
        m_myNumber->setMaximumWidth(kNumberWidth);
        m_myNumber->setStyleSheet(m_expediteur->styleSheet());
        m_myNumber->setToolTip(textes(Txt::MyNumberHelp));
        caption->setToolTip(m_myNumber->toolTip());
        caption->setBuddy(m_myNumber);
        // Before the row's closing stretch.
        layout->insertSpacing(layout->count() - 1, 16);
        layout->insertWidget(layout->count() - 1, caption);
        layout->insertWidget(layout->count() - 1, m_myNumber, 1);
    }

    content->addWidget(makeHeading(u"LabelColonnes"_s, textes(Txt::VisibleColumns)));
    // The boxes sit close under their help and to each other: with Qt 6.8's metrics the page is
    // otherwise a few pixels higher than 800 by 600 allows.
    QLabel *columnsHelp = makeHelp(u"LabelCA_ColonneHelp"_s, textes(Txt::VisibleColumnsHelp));
    columnsHelp->setContentsMargins(columnsHelp->contentsMargins().left(), 0, 0, 0);
    content->addWidget(columnsHelp);
    auto *boxes = new QWidget(this);
    auto *grid = new QGridLayout(boxes);
    grid->setContentsMargins(kFieldIndent, 0, 0, 0);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(2);
    // Four boxes a row: the page then shows every setting at 800 by 600 without scrolling.
    constexpr int kRows = 2;
    for (int i = 0; i < kColumnCount; ++i) {
        const ContactFieldInfo &field = kContactFields[std::size_t(i)];
        auto *box = new QCheckBox(textes(field.caption), boxes);
        box->setObjectName(u"CheckColonnes(%1)"_s.arg(i));
        grid->addWidget(box, i % kRows, i / kRows);
        m_columns[static_cast<std::size_t>(i)] = box;
        connect(box, &QCheckBox::toggled, this, [this, flag = field.shown](bool ticked) {
            m_config.*flag = ticked;
            configChanged();
        });
    }
    grid->setColumnStretch((kColumnCount + kRows - 1) / kRows, 1);
    content->addWidget(boxes);

    // The commercial box shares the heading's row: the page then still fits 800 by 600.
    auto *mailingHeading = new QWidget(this);
    auto *headingRow = new QHBoxLayout(mailingHeading);
    headingRow->setContentsMargins(0, 0, 0, 0);
    QWidget *heading = makeHeading(u"LabelEnvoiMailing"_s, textes(Txt::MailingPace));
    // The help goes on the heading's tooltip: the settings are few and speak for themselves.
    heading->setToolTip(textes(Txt::MailingPaceHelp));
    headingRow->addWidget(heading);
    headingRow->addStretch(1);
    m_commercial = new QCheckBox(textes(Txt::CommercialSms), mailingHeading);
    m_commercial->setObjectName(u"CheckCommercial"_s);
    m_commercial->setToolTip(textes(Txt::CommercialSmsHelp));
    connect(m_commercial, &QCheckBox::toggled, this, [this](bool ticked) {
        m_config.CommercialSms = ticked;
        configChanged();
    });
    headingRow->addWidget(m_commercial);
    content->addWidget(mailingHeading);
    auto *numbers = new QWidget(this);
    auto *numbersRow = new QHBoxLayout(numbers);
    numbersRow->setContentsMargins(kFieldIndent, 0, 0, 0);
    numbersRow->setSpacing(8);
    m_perMinute = addNumber(*numbersRow, textes(Txt::SmsPerMinute), u"TextSmsParMinute", 0, kMaxPerMinute,
                            &Config::MaxSmsPerMinute);
    numbersRow->addSpacing(16);
    m_parallel = addNumber(*numbersRow, textes(Txt::ParallelRequests), u"TextRequetesSimultanees", 1, kMaxParallel,
                           &Config::ParallelRequests);
    numbersRow->addStretch(1);
    content->addWidget(numbers);

    connect(m_mail, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_gateway.Mail = text;
        configChanged();
    });
    connect(m_password, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_gateway.Password = text;
        configChanged();
    });
    // A new account has its own credit: asked for soon, not at the next minute, and not at every key.
    m_accountSettled = new QTimer(this);
    m_accountSettled->setObjectName(u"TimerCompte"_s);
    m_accountSettled->setSingleShot(true);
    m_accountSettled->setInterval(kAccountSettleMs);
    connect(m_accountSettled, &QTimer::timeout, this, &ActivityWindow::creditMayHaveChanged);
    for (QLineEdit *edit : {m_mail, m_password})
        connect(edit, &QLineEdit::textEdited, m_accountSettled, qOverload<>(&QTimer::start));
    connect(m_expediteur, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_config.Expediteur = text;
        configChanged();
    });
    connect(m_myNumber, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_config.MyNumber = text;
        configChanged();
    });
}

// The proxy on one row of the account, its fields named by their placeholders: the page then
// still fits 800 by 600.
void Form_Prefs::addProxyRow()
{
    const TextTable &textes = m_textes;
    QLineEdit *host = addField(u"LabelProxy", textes(Txt::ProxyHeading) + u" :"_s, u"TextProxyHost");
    QWidget *row = host->parentWidget();
    row->findChild<QLabel *>(u"LabelProxy"_s)->setToolTip(textes(Txt::ProxyHelp));
    auto *layout = static_cast<QHBoxLayout *>(row->layout());
    const auto field = [&](const char16_t *name, Txt caption) {
        auto *edit = new QLineEdit(row);
        edit->setObjectName(QString::fromUtf16(name));
        edit->setStyleSheet(host->styleSheet());
        edit->setPlaceholderText(textes(caption));
        edit->setAccessibleName(edit->placeholderText());
        edit->setToolTip(edit->placeholderText());
        // Its placeholder is its only caption: it must show whole.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(edit->placeholderText()) + 20);
        // Before the row's closing stretch.
        layout->insertWidget(layout->count() - 1, edit, 1);
        connect(edit, &QLineEdit::textChanged, this, &Form_Prefs::proxyEdited);
        return edit;
    };
    host->setPlaceholderText(textes(Txt::ProxyHost));
    host->setAccessibleName(host->placeholderText());
    host->setToolTip(textes(Txt::ProxyHelp));
    connect(host, &QLineEdit::textChanged, this, &Form_Prefs::proxyEdited);
    m_proxyHost = host;
    layout->setStretchFactor(host, 2);
    m_proxyPort = field(u"TextProxyPort", Txt::ProxyPort);
    m_proxyPort->setValidator(new QIntValidator(1, 65535, m_proxyPort));
    m_proxyPort->setMaximumWidth(std::max(kProxyPortWidth, m_proxyPort->minimumWidth()));
    layout->setStretchFactor(m_proxyPort, 0);
    m_proxyUser = field(u"TextProxyUser", Txt::ProxyUser);
    m_proxyPassword = field(u"TextProxyPassword", Txt::Password);
    auto *maskStyle = new AsteriskPasswordStyle;
    maskStyle->setParent(m_proxyPassword);
    m_proxyPassword->setStyle(maskStyle);
    m_proxyPassword->setEchoMode(QLineEdit::Password);
}

void Form_Prefs::proxyEdited()
{
    ProxySetting &proxy = m_gateway.Proxy;
    proxy.host = m_proxyHost->text();
    proxy.port = m_proxyPort->text().toInt();
    proxy.user = m_proxyUser->text();
    proxy.password = m_proxyPassword->text();
    configChanged();
}

void Form_Prefs::configChanged()
{
    m_autoSave.changed(QString::fromUtf16(kConfigFileName));
}

QSpinBox *Form_Prefs::addNumber(QHBoxLayout &row, const QString &label, const char16_t *editName, int minimum,
                                int maximum, qint32 Config::*value)
{
    auto *caption = new QLabel(label, row.parentWidget());
    auto *box = new QSpinBox(row.parentWidget());
    box->setObjectName(QString::fromUtf16(editName));
    box->setRange(minimum, maximum);
    caption->setBuddy(box);
    row.addWidget(caption);
    row.addWidget(box);
    connect(box, &QSpinBox::valueChanged, this, [this, value](int number) {
        m_config.*value = number;
        configChanged();
    });
    return box;
}

QLineEdit *Form_Prefs::addField(const char16_t *labelName, const QString &label, const char16_t *editName)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(kFieldIndent, 0, 0, 0);
    layout->setSpacing(8);
    auto *caption = new QLabel(label, row);
    caption->setObjectName(QString::fromUtf16(labelName));
    caption->setMinimumWidth(kLabelWidth);
    auto *edit = new QLineEdit(row);
    edit->setObjectName(QString::fromUtf16(editName));
    edit->setMaximumWidth(kFieldWidth);
    const ThemeColors colors = themeColors(palette());
    edit->setStyleSheet(u"QLineEdit { padding: 3px 6px; border: 1px solid %1; border-radius: 4px; }"
                        "QLineEdit:focus { border-color: %2; }"_s.arg(colors.border.name(), colors.focus.name()));
    caption->setBuddy(edit);
    layout->addWidget(caption);
    layout->addWidget(edit, 1);
    layout->addStretch(0);
    contentLayout()->addWidget(row);
    return edit;
}

void Form_Prefs::Init()
{
    const Config &c = m_config;
    const ClassSendora &gateway = m_gateway;
    // Copies first: each assignment writes its value straight back through the change actions.
    const QString expediteur = c.Expediteur;
    const QString myNumber = c.MyNumber;
    const QString mail = gateway.Mail;
    const QString password = gateway.Password;
    const ProxySetting proxy = gateway.Proxy;
    m_expediteur->setText(expediteur);
    m_myNumber->setText(myNumber);
    m_mail->setText(mail);
    m_password->setText(password);
    m_proxyHost->setText(proxy.host);
    m_proxyPort->setText(proxy.port > 0 ? QString::number(proxy.port) : QString());
    m_proxyUser->setText(proxy.user);
    m_proxyPassword->setText(proxy.password);
    for (int i = 0; i < kColumnCount; ++i)
        m_columns[static_cast<std::size_t>(i)]->setChecked(c.*kContactFields[std::size_t(i)].shown);
    const qint32 perMinute = c.MaxSmsPerMinute;
    const qint32 parallel = c.ParallelRequests;
    const bool commercial = c.CommercialSms;
    m_perMinute->setValue(perMinute);
    m_parallel->setValue(parallel);
    m_commercial->setChecked(commercial);
}

} // namespace parlevo
