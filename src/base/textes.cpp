#include "textes.h"

#include "base/ini.h"
#include "base/shared.h"
#include "base/textesdefaults.h"

#include <QLocale>

namespace parlevo {

TextTable::TextTable()
{
    LoadTextes(QString());
}

const QString &TextTable::operator()(Txt text) const
{
    static const QString empty;
    const int i = static_cast<int>(text);
    return (i >= 1 && i <= kCount) ? m_entries[i] : empty;
}

void TextTable::assignDefaults()
{
    for (QString &entry : m_entries)
        entry.clear();
    for (const TexteDefault &d : kTextesDefaults)
        m_entries[d.index] = QString::fromUtf8(d.utf8Text);
}

void TextTable::LoadTextes(const QString &languageFile)
{
    assignDefaults();
    if (!languageFile.isEmpty() && FileExists(languageFile)) {
        const IniDocument doc = IniDocument::load(languageFile);
        const QString section = QStringLiteral("Strings");
        for (int i = 1; i <= kCount; ++i) {
            const QString key = QStringLiteral("Textes(%1)").arg(i);
            m_entries[i] = doc.value(section, key, m_entries[i]);
        }
    }
    for (int i = 1; i <= kCount; ++i)
        m_entries[i] = UnescapeNewlines(m_entries[i]);
}

QString systemLanguageName()
{
    return QLocale::languageToString(QLocale::system().language());
}

QString chosenLanguageName(const QString &languageOption)
{
    if (!languageOption.isEmpty())
        return languageOption;
    const QString fromEnvironment = qEnvironmentVariable("PARLEVO_LANGUAGE");
    return fromEnvironment.isEmpty() ? systemLanguageName() : fromEnvironment;
}

} // namespace parlevo
