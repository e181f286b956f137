#include "download/ProgramInfo.h"

#include <QCoreApplication>

#include <filesystem>

namespace {

std::filesystem::path executablePath()
{
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

} // namespace

std::string ProgramFolder()
{
    std::string folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath().toStdString()
                                                      : executablePath().parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string ProgramTitle()
{
    if (QCoreApplication::instance() && !QCoreApplication::applicationName().isEmpty())
        return QCoreApplication::applicationName().toStdString();
    return executablePath().stem().string();
}
