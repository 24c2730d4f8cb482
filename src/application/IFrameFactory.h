#pragma once

#include "app/Interfaces.h"

#include <QString>

// What start-up needs of the main window's subsystem beyond IMainFrame: the
// splash, the frame's creation and loading, and bringing the window forward
// when another start asks for it. The GUI implements it; tests use a fake.
// All calls come on the main thread.
class IFrameFactory
{
public:
    virtual ~IFrameFactory() = default;

    // The splash stays up until DestroySplash.
    virtual void ShowSplash() = 0;
    virtual void DestroySplash() = 0;
    // Support for the browser views; false ends start-up.
    virtual bool EnableControlContainer() = 0;
    // Creates the main frame; null when this build has none, WhyNoFrame() saying why.
    virtual IMainFrame *CreateMainFrame() = 0;
    virtual QString WhyNoFrame() const = 0;
    // Builds the created frame's window; false ends start-up.
    virtual bool LoadFrame() = 0;
    // Shows and updates the loaded frame.
    virtual void ShowFrame() = 0;
    // Another start of the program asked this one to show itself.
    virtual void ActivateMainWindow() = 0;
};
