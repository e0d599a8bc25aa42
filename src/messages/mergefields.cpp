#include "mergefields.h"

#include "addressbook/classcontact.h"
#include "base/textes.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kTextUnknownFields = 432;
constexpr int kTextRowsLackingField = 433;
// Names given in the warning about rows lacking a field; the count tells the rest.
constexpr std::size_t kNamesShown = 3;

struct FieldName {
    const char16_t *name;
    MergeTemplate::Field field;
};

// Names as compared: lower case, accents taken off.
constexpr std::array<FieldName, 5> kFieldNames{{
    {u"prenom", MergeTemplate::Field::Prenom},
    {u"nom", MergeTemplate::Field::Nom},
    {u"titre", MergeTemplate::Field::Titre},
    {u"societe", MergeTemplate::Field::Societe},
    {u"groupe", MergeTemplate::Field::Groupe},
}};

QString foldedName(const QString &name)
{
    const QString decomposed = name.trimmed().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c.toLower();
    }
    return folded;
}

const QString &fieldValue(const ClassContact &contact, int field)
{
    switch (static_cast<MergeTemplate::Field>(field)) {
    case MergeTemplate::Field::Prenom:
        return contact.Prenom;
    case MergeTemplate::Field::Nom:
        return contact.Nom;
    case MergeTemplate::Field::Titre:
        return contact.Titre;
    case MergeTemplate::Field::Societe:
        return contact.Societe;
    case MergeTemplate::Field::Groupe:
        break;
    }
    return contact.Groupe;
}

} // namespace

MergeTemplate::MergeTemplate(const QString &text)
{
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            m_pieces.push_back(Piece{std::exchange(literal, QString()), -1});
    };
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text[i];
        if (c != u'{') {
            literal += c;
            ++i;
            continue;
        }
        if (i + 1 < size && text[i + 1] == u'{') {
            literal += u'{';
            i += 2;
            continue;
        }
        const qsizetype close = text.indexOf(u'}', i + 1);
        const qsizetype reopen = text.indexOf(u'{', i + 1);
        if (close < 0 || (reopen >= 0 && reopen < close)) {
            literal += c;
            ++i;
            continue;
        }
        const QString written = text.sliced(i, close - i + 1);
        const QString folded = foldedName(text.sliced(i + 1, close - i - 1));
        int field = -1;
        for (const FieldName &known : kFieldNames) {
            if (folded == QStringView(known.name))
                field = int(known.field);
        }
        if (field < 0) {
            literal += written;
            if (!m_unknown.contains(written))
                m_unknown.append(written);
        } else {
            flush();
            m_pieces.push_back(Piece{QString(), field});
            if (std::find(m_used.cbegin(), m_used.cend(), Field(field)) == m_used.cend())
                m_used.push_back(Field(field));
        }
        i = close + 1;
    }
    flush();
}

QString MergeTemplate::merge(const ClassContact &contact) const
{
    QString merged;
    merged.reserve(mergedLength(contact));
    for (const Piece &piece : m_pieces)
        merged += piece.field < 0 ? piece.text : fieldValue(contact, piece.field);
    return merged;
}

qsizetype MergeTemplate::mergedLength(const ClassContact &contact) const
{
    qsizetype length = 0;
    for (const Piece &piece : m_pieces)
        length += piece.field < 0 ? piece.text.size() : fieldValue(contact, piece.field).size();
    return length;
}

bool MergeTemplate::lacksUsedField(const ClassContact &contact) const
{
    for (const Field field : m_used) {
        if (fieldValue(contact, int(field)).isEmpty())
            return true;
    }
    return false;
}

QString mergedMessage(const QString &message, const ClassContact &contact)
{
    // Most messages have no field: they go as they are, without being read again.
    if (!message.contains(u'{'))
        return message;
    return MergeTemplate(message).merge(contact);
}

MergeReport mergeReport(const MergeTemplate &message, qsizetype rowCount,
                        const std::function<const ClassContact *(qsizetype)> &contactAt)
{
    MergeReport report;
    qsizetype longest = -1;
    for (qsizetype row = 0; row < rowCount; ++row) {
        const ClassContact *contact = contactAt(row);
        if (!contact)
            continue;
        const qsizetype length = message.mergedLength(*contact);
        if (length > longest) {
            longest = length;
            report.longestRow = row;
        }
        if (!message.usedFields().empty() && message.lacksUsedField(*contact))
            report.rowsLackingField.push_back(row);
    }
    report.longestText =
        report.longestRow < 0 ? message.merge(ClassContact{}) : message.merge(*contactAt(report.longestRow));
    return report;
}

QStringList mergeWarnings(const TextTable &textes, const MergeTemplate &message, const MergeReport &report,
                          const std::function<const ClassContact *(qsizetype)> &contactAt)
{
    QStringList warnings;
    if (!message.unknownFields().isEmpty())
        warnings.append(textes(kTextUnknownFields).arg(message.unknownFields().join(u' ')));
    const std::vector<qsizetype> &rows = report.rowsLackingField;
    if (!rows.empty()) {
        QStringList names;
        for (std::size_t i = 0; i < std::min(rows.size(), kNamesShown); ++i) {
            const ClassContact *contact = contactAt(rows[i]);
            const QString name = contact->FullName().trimmed();
            names.append(name.isEmpty() ? contact->Phone : name);
        }
        if (rows.size() > kNamesShown)
            names.append(u"…"_s);
        warnings.append(textes(kTextRowsLackingField).arg(QString::number(rows.size()), names.join(u", "_s)));
    }
    return warnings;
}

} // namespace parlevo
