#include "mergefields.h"

#include "addressbook/classcontact.h"
#include "addressbook/contactfields.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

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

// The field a name between braces stands for, nullptr for none.
MergeTemplate::Field fieldNamed(const QString &name)
{
    const QString folded = foldedName(name);
    for (const ContactFieldInfo *field : kStoredFields) {
        if (field->column != ContactColumn::GSM && folded == fieldName(*field))
            return field->member;
    }
    return nullptr;
}

} // namespace

QString mergeFieldName(const QString &header)
{
    const QString folded = foldedName(header);
    QString name;
    name.reserve(folded.size());
    bool gap = false;
    for (const QChar c : folded) {
        if (c.isLetterOrNumber()) {
            if (gap && !name.isEmpty())
                name += u'_';
            name += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return name;
}

MergeTemplate::MergeTemplate(const QString &text, const QStringList &columns)
{
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            m_pieces.push_back(Piece{std::exchange(literal, QString()), nullptr});
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
        // No "}" further on: nothing after this can be a field.
        if (close < 0) {
            literal += QStringView(text).sliced(i);
            break;
        }
        const QString name = text.sliced(i + 1, close - i - 1);
        if (name.contains(u'{')) {
            literal += c;
            ++i;
            continue;
        }
        const QString written = text.sliced(i, close - i + 1);
        Piece piece{QString(), fieldNamed(name)};
        if (!piece.field && !columns.isEmpty())
            piece.column = columns.indexOf(mergeFieldName(name));
        if (!piece.field && piece.column < 0) {
            literal += written;
            if (!m_unknown.contains(written))
                m_unknown.append(written);
        } else {
            flush();
            m_pieces.push_back(piece);
            const auto same = [&piece](const Piece &used) {
                return used.field == piece.field && used.column == piece.column;
            };
            if (std::none_of(m_used.cbegin(), m_used.cend(), same))
                m_used.push_back(piece);
        }
        i = close + 1;
    }
    flush();
}

QStringView MergeTemplate::valueOf(const Piece &piece, const ClassContact &contact)
{
    if (piece.field)
        return contact.*piece.field;
    if (piece.column >= 0)
        return piece.column < contact.Extra.size() ? QStringView(contact.Extra[piece.column]) : QStringView();
    return piece.text;
}

QString MergeTemplate::merge(const ClassContact &contact) const
{
    QString merged;
    merged.reserve(mergedLength(contact));
    for (const Piece &piece : m_pieces)
        merged += valueOf(piece, contact);
    return merged;
}

qsizetype MergeTemplate::mergedLength(const ClassContact &contact) const
{
    qsizetype length = 0;
    for (const Piece &piece : m_pieces)
        length += valueOf(piece, contact).size();
    return length;
}

bool MergeTemplate::lacksUsedField(const ClassContact &contact) const
{
    return std::any_of(m_used.cbegin(), m_used.cend(),
                       [&contact](const Piece &used) { return valueOf(used, contact).isEmpty(); });
}

QString mergedMessage(const QString &message, const ClassContact &contact, const QStringList &columns)
{
    // Most messages have no field: they go as they are, without being read again.
    if (!message.contains(u'{'))
        return message;
    return MergeTemplate(message, columns).merge(contact);
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
        if (message.usesFields() && message.lacksUsedField(*contact))
            report.rowsLackingField.push_back(row);
    }
    report.longestText =
        report.longestRow < 0 ? message.merge(ClassContact{}) : message.merge(*contactAt(report.longestRow));
    return report;
}

} // namespace parlevo
