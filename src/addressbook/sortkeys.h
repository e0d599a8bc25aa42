#pragma once

#include "contactfields.h"

#include <QList>
#include <QString>

#include <vector>

namespace parlevo {

// The sort and the search of a large book, built for speed: each text folded once into one
// buffer, and the contacts asked for ahead of their use. The order and the matches are those of
// compareIgnoringCase and listedBySearch.

// One code unit folded as compareIgnoringCase folds it.
inline char16_t foldedUnit(char16_t u)
{
    if (u < 128)
        return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    return QChar::toCaseFolded(u);
}

// Sorts contacts by the text of a column, ignoring case; equal texts keep their order. The first
// `sorted` contacts may already be in that order: they are then merged with the others.
void sortContacts(std::vector<ClassContact *> &contacts, ContactColumn column, bool ascending, std::size_t sorted = 0);

// The order sortContacts gives, as positions in contacts.
std::vector<quint32> sortedPositions(const std::vector<ClassContact *> &contacts, ContactColumn column, bool ascending,
                                     std::size_t sorted = 0);

// The length of the text a contact shows in a column, without building it.
qsizetype columnLength(const ClassContact &contact, ContactColumn column);
// For each column, the first contact whose text there is longest; nullptr without contacts.
std::vector<const ClassContact *> longestInColumns(const std::vector<ClassContact *> &contacts,
                                                   const QList<ContactColumn> &columns);

// A text folded as the case-insensitive comparisons and searches fold it.
QString foldedText(QStringView text);
// A text folded for a search that ignores case and accents: each code unit becomes the case-folded
// base letter of its canonical decomposition ("Noëlle" -> "noelle"), one unit for one, so a match
// found in the folded text is one in the text.
QString searchFoldedText(QStringView text);
// Whether a search for this text can use a FoldedField: a surrogate needs the general search.
bool foldsUnitByUnit(QStringView text);

// One search field of many contacts, folded into one buffer: a search over a whole book then
// reads memory in order instead of one string per contact scattered over the heap.
class FoldedField {
public:
    FoldedField() = default;
    // field as for listedBySearch.
    FoldedField(const std::vector<ClassContact *> &contacts, int field);
    // listedBySearch for contacts[i], with the search text already folded.
    bool listed(std::size_t i, QStringView foldedPart) const;
    std::size_t size() const { return m_ends.size(); }

private:
    std::vector<char16_t> m_text;
    std::vector<quint32> m_ends;
};

} // namespace parlevo
