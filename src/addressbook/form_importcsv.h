#pragma once

#include <QDialog>

namespace parlevo {

class TextTable;

// Explains the layout an import file must have, with an example. Etat is true when the user
// chose to go on.
class Form_ImportCSV final : public QDialog {
    Q_OBJECT
public:
    explicit Form_ImportCSV(const TextTable &textes, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_ImportCSV)

    bool Etat = false;
};

} // namespace parlevo
