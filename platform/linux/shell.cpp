// The running executable and the program folder.
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/programfolder.h"

#include <QFile>

namespace orvenna::platform {

QString TLinuxPlatform::ExecutablePath() const
{
    return QFile::decodeName(QByteArray::fromStdString(RunningExecutable().string()));
}

QString TLinuxPlatform::ProgramFolder() const
{
    return QFile::decodeName(QByteArray::fromStdString(ProgramFiles().Folder.string()));
}

QString TLinuxPlatform::PrepareProgramFolder()
{
    return QString::fromStdString(PrepareProgramFiles(ProgramFiles()));
}

const TProgramFiles& TLinuxPlatform::ProgramFiles() const
{
    // Chosen once: a folder whose permissions change while the program runs must not move
    // the files the program has open.
    if (!State->Files)
        State->Files = FindProgramFiles();
    return *State->Files;
}

}  // namespace orvenna::platform
