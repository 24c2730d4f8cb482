#include "CBrowseForFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QString DesktopChooser(QWidget *owner, const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(owner, title, start);
}

CBrowseForFolder::Chooser g_chooser = &DesktopChooser;

} // namespace

CBrowseForFolder::CBrowseForFolder(QWidget *owner, const QString &root, const QString &title)
    : m_owner(owner), m_root(root), m_title(title)
{
}

CBrowseForFolder::Chooser CBrowseForFolder::SetChooser(Chooser chooser)
{
    const Chooser previous = g_chooser;
    g_chooser = chooser ? chooser : &DesktopChooser;
    return previous;
}

bool CBrowseForFolder::SelectFolder()
{
    const QString chosen = g_chooser(m_owner, m_title, StartFolder());
    if (chosen.isEmpty())
        return false;
    m_path = QDir::toNativeSeparators(chosen);
    m_displayName = QFileInfo(chosen).fileName();
    if (m_displayName.isEmpty())
        m_displayName = m_path;
    return true;
}

CSBDestination::CSBDestination(QWidget *owner, const QString &title) : CBrowseForFolder(owner, QString(), title)
{
}
