#pragma once

#include <QDialog>

class QComboBox;

namespace parlevo {

class AppState;

// Asks for the group to give the selected contacts. Groupe is the name chosen (possibly empty
// or new), or kCancelMarker when the user gave up.
class Form_ChangeGroup final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char16_t *kCancelMarker = u"##NOP##NOP##NOP##";

    explicit Form_ChangeGroup(AppState &state, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_ChangeGroup)

    QString Groupe;

    void Init();

    void CMD_ChangeGroupe_Click();
    void CMD_Annuler_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AppState &m_state;
    QComboBox *m_comboGroup;
};

} // namespace parlevo
