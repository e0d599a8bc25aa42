#include "maxmin.h"

#include <QGuiApplication>

namespace parlevo {

MaxMin::MaxMin(QWidget *window)
    : QWidget(window)
    , m_window(window ? window->window() : nullptr)
    , m_applicationActive(QGuiApplication::applicationState() == Qt::ApplicationActive)
{
    hide();
    setAttribute(Qt::WA_DontShowOnScreen);
    if (m_window) {
        m_ownMin = m_window->minimumSize();
        m_ownMax = m_window->maximumSize();
    }
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, &MaxMin::applicationStateChanged);
    apply();
}

void MaxMin::setMaxWidth(int value)
{
    m_max.setWidth(value);
    apply();
}

void MaxMin::setMaxHeight(int value)
{
    m_max.setHeight(value);
    apply();
}

void MaxMin::setMinWidth(int value)
{
    m_min.setWidth(value);
    apply();
}

void MaxMin::setMinHeight(int value)
{
    m_min.setHeight(value);
    apply();
}

void MaxMin::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    apply();
}

void MaxMin::apply()
{
    if (!m_window)
        return;
    if (m_enabled) {
        m_window->setMinimumSize(m_min);
        m_window->setMaximumSize(m_max);
    } else {
        m_window->setMinimumSize(m_ownMin);
        m_window->setMaximumSize(m_ownMax);
    }
}

void MaxMin::applicationStateChanged(Qt::ApplicationState state)
{
    // Hidden and suspended count as inactive; each change of side is reported once.
    const bool active = state == Qt::ApplicationActive;
    if (active == m_applicationActive)
        return;
    m_applicationActive = active;
    if (!m_enabled)
        return;
    if (active)
        emit Activate();
    else
        emit Deactivate();
}

} // namespace parlevo
