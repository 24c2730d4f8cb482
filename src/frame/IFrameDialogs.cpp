#include "IFrameDialogs.h"

#include "app/AppCore.h"

int PlaceholderFrameDialogs::NotYetAvailable(const QString &dialogTitle)
{
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(dialogTitle + QStringLiteral(" is not yet available."), QStringLiteral("Korvant"),
                            MsgBox::IconInformation);
    return MsgBox::IdCancel;
}
