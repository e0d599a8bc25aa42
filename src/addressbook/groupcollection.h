#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace parlevo {

// Group names in the order they were first met. Names that differ only in case are one group,
// kept in the form first added. Names are never removed during a run.
class GroupCollection final {
public:
    qsizetype count() const { return m_names.size(); }
    bool contains(const QString &name) const { return m_folded.contains(name.toCaseFolded()); }
    // False when the name is empty or already there (in any case).
    bool add(const QString &name);

    const QStringList &names() const { return m_names; }
    QStringList::const_iterator begin() const { return m_names.cbegin(); }
    QStringList::const_iterator end() const { return m_names.cend(); }

private:
    QStringList m_names;
    QSet<QString> m_folded;
};

// Adds a group to colGroupes unless it is empty or already listed; a refusal is silent.
void Ajoute_Groupe(GroupCollection &groups, const QString &name);

} // namespace parlevo
