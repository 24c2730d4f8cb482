#pragma once

#include <QObject>

// The program's cross-window notifications, one signal for each registered
// message name. Emitted from any thread; receivers on the main thread get
// them queued.
class AppSignals : public QObject
{
    Q_OBJECT
public:
    static constexpr char OnRowEnterName[] = "OnRowEnter";
    static constexpr char OnLogoClickName[] = "OnLogoClick";
    static constexpr char PoolNotifyName[] = "UWM_POOL_NOTIFY_MSG-C5ED5640-62F1-4650-8B27-E8BF00970905";
    static constexpr char PoolNotifyOptName[] = "UWM_POOL_NOTIFY_OPT_MSG-C5ED5640-62F1-4650-8B27-E8BF00970905";
    static constexpr char ImportNotifyName[] = "UWM_IMPORT_NOTIFY_MSG-C5ED5640-62F1-4650-8B27-E8BF00970905";
    static constexpr char SetDashboardCounterName[] =
        "UWM_SET_DASHBOARD_COUNTER_MSG-C5ED5640-62F1-4650-8B27-E8BF00970905";
    static constexpr char CtxButtonClickName[] = "UWM_CTX_BUTTON_CLICK_MSG-C5ED5640-62F1-4650-8B27-E8BF00970905";
    static constexpr char InfoButtonNotifyName[] = "UWM_INFO_BUTTON_NOTIFY_MSG-C5ED5640-62F1-4650-8B27-E8BF00970905";
    static constexpr char MenuBarGetMenuName[] = "CMenuBar::WM_GETMENU";
    static constexpr char MenuBarSetMenuNullName[] = "CMenuBar::MB_SET_MENU_NULL";
    static constexpr char ImportShedulerName[] = "ImportSheduler";

    using QObject::QObject;

signals:
    void OnRowEnter(int row);
    void OnLogoClick();
    void PoolNotify();
    void PoolNotifyOpt();
    void ImportNotify();
    void SetDashboardCounter(int nodeId, int total, int second);
};
