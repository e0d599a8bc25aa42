#include "groupcollection.h"

#include "base/appstate.h"

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

void Ajoute_Groupe(AppState &state, const QString &name)
{
    state.colGroupes().add(name);
}

} // namespace parlevo
