#include "GuiFrameFactory.h"

#include "CMainFrame.h"
#include "FrameCommands.h"

#include "app/AppCore.h"
#include "browser/WebHost.h"
#include "dialogs/SplashWnd.h"

GuiFrameFactory::GuiFrameFactory(IPaneFactory *panes, bool splash, IFrameDialogs *dialogs)
    : m_panes(panes ? panes : &m_placeholders), m_dialogs(dialogs), m_splashOn(splash)
{
}

GuiFrameFactory::~GuiFrameFactory()
{
    DestroyFrame();
}

void GuiFrameFactory::ShowSplash()
{
    if (!m_splashOn)
        return;
    m_splash = std::make_unique<CSplashWnd>();
    m_splash->ShowSplash(-1);
}

void GuiFrameFactory::DestroySplash()
{
    m_splash.reset();
}

bool GuiFrameFactory::EnableControlContainer()
{
    if (!WebHost::Instance())
        m_webHost = std::make_unique<WebHost>();
    return true;
}

IMainFrame *GuiFrameFactory::CreateMainFrame()
{
    m_frame = std::make_unique<CMainFrame>(*m_panes, m_dialogs);
    m_commands = std::make_unique<FrameCommands>(*m_frame);
    if (WebHost *host = WebHost::Instance())
        host->SetFrameCommands(m_commands.get());
    if (m_created)
        m_created(*m_frame);
    return m_frame.get();
}

bool GuiFrameFactory::LoadFrame()
{
    if (!m_frame)
        return false;
    if (m_frame->OnCreate())
        return true;
    m_why = m_frame->CreationError();
    return false;
}

void GuiFrameFactory::ShowFrame()
{
    if (m_frame)
        m_frame->show();
}

void GuiFrameFactory::ActivateMainWindow()
{
    if (m_frame)
        m_frame->ActivateMainWindow();
}

void GuiFrameFactory::DestroyFrame()
{
    if (!m_frame)
        return;
    if (AppCore *app = theAppIfAny(); app && app->Frame() == m_frame.get()) {
        app->SetMainWindowFlag(false);
        app->SetMainFrame(nullptr);
    }
    if (WebHost *host = WebHost::Instance())
        host->SetFrameCommands(nullptr);
    m_frame.reset();
    m_commands.reset();
}
