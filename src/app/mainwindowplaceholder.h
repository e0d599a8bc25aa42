#pragma once

#include <QMainWindow>

#include <functional>

namespace parlevo {

class AppState;
struct WindowGeometry;

// The frame window until the real main window lands: placed from the configuration,
// and closing it shuts the application down.
class MainWindowPlaceholder final : public QMainWindow {
    Q_OBJECT
public:
    MainWindowPlaceholder(AppState &state, std::function<void()> onClose);
    Q_DISABLE_COPY_MOVE(MainWindowPlaceholder)

    WindowGeometry geometryInTwips() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::function<void()> m_onClose;
};

} // namespace parlevo
