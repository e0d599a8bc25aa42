#pragma once

#include "csvcolumns.h"

#include <QDialog>

#include <array>

class QComboBox;

namespace parlevo {

class AppState;

// Shows the first rows of a CSV file another program wrote and one column chooser per field,
// pre-filled from its header; accepted, mapping() says where each field comes from.
class Form_CsvColumns final : public QDialog {
    Q_OBJECT
public:
    Form_CsvColumns(AppState &state, const CsvTable &table, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_CsvColumns)

    CsvMapping mapping() const;

private:
    std::array<QComboBox *, 6> m_choosers{};
};

} // namespace parlevo
