#include "groupcollection.h"

namespace parlevo {

bool GroupCollection::add(const QString &name)
{
    if (name.isEmpty())
        return false;
    const qsizetype before = m_folded.size();
    m_folded.insert(name.toCaseFolded());
    if (m_folded.size() == before)
        return false;
    m_names.append(name);
    return true;
}

void Ajoute_Groupe(GroupCollection &groups, const QString &name)
{
    groups.add(name);
}

} // namespace parlevo
