#include "activities.h"

#include "addressbook/addressbook.h"
#include "addressbook/form_carnetadresse.h"
#include "appstate.h"
#include "formacceuil.h"
#include "gateway/classsendora.h"
#include "mdiformmain.h"
#include "messages/form_predefinis.h"
#include "messages/predefinis.h"
#include "prefs/formprefs.h"
#include "sending/form_historique.h"
#include "sending/form_mailing.h"
#include "sending/form_simple.h"

namespace parlevo {

ActivityWindow *createActivityWindow(Activity activity, AppState &state, MDIForm_Main &main, QWidget *parent)
{
    switch (activity) {
    case Activity::Home:
        return new Form_Acceuil(state, main, parent);
    case Activity::Prefs:
        return new Form_Prefs(state.basics(), state.Gateway(), parent);
    case Activity::Simple:
        return new Form_Simple(state.basics(), state.addressBook(), state.predefinis(), state.Gateway(), main, parent);
    case Activity::Mailing:
        return new Form_Mailing(
            state.basics(), state.addressBook(), state.predefinis(), state.Gateway(), main,
            [&main] { return main.knownCredit(); }, parent);
    case Activity::Carnet:
        return new Form_CarnetAdresse(state.textTable(), state.config(), state.addressBook(), state.autoSave(), parent);
    case Activity::Predefinis:
        return new Form_Predefinis(state.textTable(), state.predefinis(), state.autoSave(), parent);
    case Activity::History:
        return new Form_Historique(state.basics(), state.addressBook(), state.Gateway(), main, parent);
    }
    return nullptr;
}

} // namespace parlevo
