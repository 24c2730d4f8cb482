#pragma once

#include "application/IFrameFactory.h"
#include "dialogs/PaneInterfaces.h"

#include <functional>
#include <memory>

class CMainFrame;
class FrameCommands;
class IFrameDialogs;
class WebHost;
class CSplashWnd;

// What start-up asks of the main window's subsystem: the splash, the main
// frame made over the installed pane factory, and bringing it forward.
class GuiFrameFactory : public IFrameFactory
{
public:
    // `panes` and `dialogs` outlive the factory; null: the placeholders.
    explicit GuiFrameFactory(IPaneFactory *panes = nullptr, bool splash = true, IFrameDialogs *dialogs = nullptr);
    // Runs once the frame exists, before its window is built (the lists' host).
    void SetFrameCreatedHook(std::function<void(CMainFrame &)> hook) { m_created = std::move(hook); }
    ~GuiFrameFactory() override;

    void ShowSplash() override;
    void DestroySplash() override;
    // The host of every web pane (its URL scheme, profile and in-page commands).
    bool EnableControlContainer() override;
    IMainFrame *CreateMainFrame() override;
    QString WhyNoFrame() const override { return m_why; }
    bool LoadFrame() override;
    void ShowFrame() override;
    void ActivateMainWindow() override;

    CMainFrame *Frame() const { return m_frame.get(); }
    // Takes the frame out of the application before it goes.
    void DestroyFrame();

private:
    PlaceholderPaneFactory m_placeholders;
    IPaneFactory *m_panes;
    IFrameDialogs *m_dialogs;
    std::function<void(CMainFrame &)> m_created;
    bool m_splashOn;
    std::unique_ptr<CSplashWnd> m_splash;
    std::unique_ptr<WebHost> m_webHost;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<FrameCommands> m_commands;
    QString m_why;
};
