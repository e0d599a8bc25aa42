#pragma once

#include "base/activitywindow.h"

#include <functional>

namespace parlevo {

class AppState;
class LabelLink;
class MDIForm_Main;

// The home page: one link per activity under three headings. Each link does what the matching
// toolbar button does.
class Form_Acceuil final : public SectionPage {
    Q_OBJECT
public:
    Form_Acceuil(AppState &state, MDIForm_Main &main, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_Acceuil)

    // The page holds no state: nothing to reload.
    void Init() override {}

private:
    LabelLink *addLink(const char16_t *name, const QString &caption, const QString &icon, const char16_t *imageName,
                       std::function<void()> action);
};

} // namespace parlevo
