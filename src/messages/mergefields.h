#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace parlevo {

struct ClassContact;

// A mailing message with merge fields: {prenom}, {nom}, {titre}, {societe}, {groupe}, written in
// any case and with or without accents ({Prénom}). Rules of the text:
// - "{{" writes one "{"; a "}" on its own is plain text;
// - a "{" without a "}" further on, or with another "{" before it, is plain text;
// - a name between braces that is no field ({date}) is an unknown field: it stays as written, and
//   the template lists it so that the user can be told before sending.
// A text without "{" is its own merge, unchanged.
// The fields are the contact's stored fields but its number, named as on the command line, and
// the columns of the spreadsheet a mailing was read from, by their names (mergeFieldName).
class MergeTemplate final {
public:
    // A field: the contact's member that fills it.
    using Field = QString ClassContact::*;

    // columns: the names of a mailing's spreadsheet columns; a row's values are its contact's Extra.
    explicit MergeTemplate(const QString &text, const QStringList &columns = {});

    bool usesFields() const { return !m_used.empty(); }
    // The unknown names as written, each once.
    const QStringList &unknownFields() const { return m_unknown; }
    // The message for this contact; the group is the contact's own.
    QString merge(const ClassContact &contact) const;
    // The length of merge(contact), without building it.
    qsizetype mergedLength(const ClassContact &contact) const;
    // True when a field the text uses is empty for this contact.
    bool lacksUsedField(const ClassContact &contact) const;

private:
    // A piece is plain text, a field or a spreadsheet column.
    struct Piece {
        QString text;
        Field field = nullptr;
        qsizetype column = -1;
    };
    static QStringView valueOf(const Piece &piece, const ClassContact &contact);

    std::vector<Piece> m_pieces;
    // The fields and columns used, each once.
    std::vector<Piece> m_used;
    QStringList m_unknown;
};

// The message for one recipient: a shortcut for MergeTemplate(message, columns).merge(contact).
QString mergedMessage(const QString &message, const ClassContact &contact, const QStringList &columns = {});

// The merge field a spreadsheet column's header gives: lower case, without accents, each run of
// other characters than letters and digits one "_", none at either end ("Montant TTC" gives
// "montant_ttc"); empty when nothing is left. A name between braces is matched the same way.
QString mergeFieldName(const QString &header);

// What a mailing's rows make of a template, found in one pass over the rows.
struct MergeReport {
    // The longest merged message and its row (the first of equals); -1 and the template's merge
    // for an empty contact when there is no row.
    qsizetype longestRow = -1;
    QString longestText;
    // Rows (0-based) where a field the text uses is empty.
    std::vector<qsizetype> rowsLackingField;
};

// Rows are read through contactAt, which may return nullptr for a row without contact (skipped).
MergeReport mergeReport(const MergeTemplate &message, qsizetype rowCount,
                        const std::function<const ClassContact *(qsizetype)> &contactAt);

} // namespace parlevo
