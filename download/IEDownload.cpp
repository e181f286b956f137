#include "download/IEDownload.h"

#include "download/BindStatusCallback.h"
#include "download/DownloadStatus.h"
#include "download/ProgramInfo.h"
#include "download/Url.h"
#include "platform/files/SafeFile.h"
#include "platform/inet/SystemMessages.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

template <class E, std::size_t N> DWORD sumOf(const std::set<E>& set, const std::array<DWORD, N>& values)
{
    DWORD sum = 0;
    for (E element : set)
        sum += values[static_cast<std::size_t>(element)];
    return sum;
}

// The proxy the component's downloads go through; curl reads it from the
// environment of this process.
void applyProxy(const std::string& proxy)
{
    if (proxy.empty()) {
        unsetenv("http_proxy");
        unsetenv("HTTPS_PROXY");
        unsetenv("no_proxy");
    } else {
        setenv("http_proxy", proxy.c_str(), 1);
        setenv("HTTPS_PROXY", proxy.c_str(), 1);
        setenv("no_proxy", "localhost,127.0.0.1,::1", 1);
    }
}

} // namespace

DWORD FlagValue(const TBindFSet& set)
{
    DWORD sum = 0;
    for (TBindF element : set)
        sum += DWORD(1) << static_cast<unsigned>(element);
    return sum;
}

DWORD FlagValue(const TBindF2Set& set)
{
    return sumOf(set, std::array<DWORD, 6>{0x1, 0x2, 0x4, 0x8, 0x40000000, 0x80000000});
}

DWORD FlagValue(const TBindInfoFSet& set) { return sumOf(set, std::array<DWORD, 2>{0x1, 0x2}); }

DWORD FlagValue(const TBindInfoOptionSet& set)
{
    return sumOf(set,
        std::array<DWORD, 15>{0x10000, 0x20000, 0x40000, 0x80000, 0x100000, 0x200000, 0x400000, 0x800000, 0x1000000,
            0x2000000, 0x8000000, 0x10000000, 0x40000000, 0x80000000, 0x20000000});
}

DWORD VerbValue(TBindVerb verb) { return static_cast<DWORD>(verb); }

DWORD CodePageValue(TCodePageOption codePage)
{
    static constexpr std::array<DWORD, 7> values{0, 1, 2, 3, 42, 65000, 65001};
    return values[static_cast<std::size_t>(codePage)];
}

TCustomIEDownload::TCustomIEDownload() : bscbList_(std::make_unique<TBSCBList>())
{
    savedTimeSeparator_ = FormatSettings().TimeSeparator;
    FormatSettings().TimeSeparator = '_';
    UpdateFlags();
    bindVerbValue_ = VerbValue(bindVerb_);
    codePageValue_ = ::CodePageValue(codePage_);
}

TCustomIEDownload::~TCustomIEDownload()
{
    if (ProxySettings.AutoLoadProxy)
        SetProxy({});
    FormatSettings().TimeSeparator = savedTimeSeparator_;
}

void TCustomIEDownload::SetBindF(const TBindFSet& value)
{
    bindF_ = value;
    bindFValue_ = FlagValue(value);
}

void TCustomIEDownload::SetBindF2(const TBindF2Set& value)
{
    bindF2_ = value;
    bindF2Value_ = FlagValue(value);
}

void TCustomIEDownload::SetBindInfoF(const TBindInfoFSet& value)
{
    bindInfoF_ = value;
    bindInfoFValue_ = FlagValue(value);
}

void TCustomIEDownload::SetBindInfoOptions(const TBindInfoOptionSet& value)
{
    bindInfoOptions_ = value;
    bindInfoOptionsValue_ = FlagValue(value);
}

void TCustomIEDownload::SetBindVerb(TBindVerb value)
{
    bindVerb_ = value;
    bindVerbValue_ = VerbValue(value);
}

void TCustomIEDownload::SetCodePage(TCodePageOption value)
{
    codePage_ = value;
    codePageValue_ = ::CodePageValue(value);
}

void TCustomIEDownload::SetDefaultProtocol(const std::string& value)
{
    defaultProtocol_ = value.empty() ? "http://" : value;
}

void TCustomIEDownload::UpdateFlags()
{
    bindFValue_ = FlagValue(bindF_);
    bindF2Value_ = FlagValue(bindF2_);
    bindInfoFValue_ = FlagValue(bindInfoF_);
    bindInfoOptionsValue_ = FlagValue(bindInfoOptions_);
}

void TCustomIEDownload::ReportError(int code, const std::string& text)
{
    if (OnError)
        OnError(code, text);
}

void TCustomIEDownload::SetState(TState state)
{
    State = state;
    if (OnStateChange)
        OnStateChange(state);
}

void TCustomIEDownload::Go(const std::string& address)
{
    Download(address);
    if (OpenDownloadFolder)
        OpenFolder(DownloadFolder);
}

bool TCustomIEDownload::Download(const std::string& address, const std::string& fileName, IBindCtx* bindContext,
    IMoniker* moniker, const std::string& folder)
{
    ResetState();
    TWaitEvent event;
    downloadEvent_ = &event;
    if (!PrepareDownload(address, fileName, folder)) {
        // No binding will lower the count this download raised.
        --ActiveConnections;
        Busy = ActiveConnections > 0;
        downloadEvent_ = nullptr;
        DoComplete();
        return false;
    }
    auto bscb = std::make_unique<TBSCB>(this, bindContext, moniker);
    callback_ = bscb.get();
    try {
        bscb->Execute();
        do {
            if (Cancelled)
                break;
            ProcessEvents(event, startTick_, TimeOut);
        } while (ActiveConnections != 0);
    } catch (...) {
        ReportError(static_cast<int>(E_FAIL), "ProcessEvents fails to wait until complete.");
        callback_ = nullptr;
        downloadEvent_ = nullptr;
        throw;
    }
    callback_ = nullptr;
    downloadEvent_ = nullptr;
    bscb.reset();
    DoComplete();
    return true;
}

void TCustomIEDownload::ResetState()
{
    Busy = true;
    NewNameChosen = false;
    fileNameGiven_ = false;
    Cancelled = false;
    FileNameAndPath.clear();
    SavedFilePath.clear();
    DownloadFolder.clear();
    FileExtension.clear();
    FileName.clear();
    MimeType.clear();
    DownloadUrl.clear();
    ServerAddress.clear();
    Url.clear();
    FileSize = 0;
    SetState(sBusy);
    startTick_ = lastActivity_ = std::chrono::steady_clock::now();
    ++ActiveConnections;
}

bool TCustomIEDownload::PrepareDownload(
    const std::string& address, const std::string& fileName, const std::string& folder)
{
    TFileExistsOption option = FileExistsOption;
    if (address.empty())
        return false;
    Url = CheckProtocol(address);
    if (ValidateUrl && !CheckUrl(Url))
        return false;
    bscbList_->Urls.push_back(Url);
    if (DownloadMethod == dmFile) {
        DownloadFolder = PrepareFolder(folder);
        if (DownloadFolder.empty())
            return false;
        fileNameGiven_ = !fileName.empty();
        FileName = fileNameGiven_ ? fileName : GetFileNameFromUrl(Url);
        const std::string target = DownloadFolder + FileName;
        if (!FileName.empty() && NameTaken(DownloadFolder, FileName)) {
            WideString newName;
            if (OnFileExists)
                OnFileExists(option, toWide(target), newName);
            if (KeepsBoth(option)) {
                FileName = FreeName(DownloadFolder, FileName);
                NewNameChosen = true;
                option = feRename;
            }
            switch (option) {
            case feOverWrite:
                bindF_.insert(TBindF::GetNewestVersion);
                break;
            case feSkip:
                return false;
            case feRename:
                if (!NewNameChosen) {
                    fileNameGiven_ = !newName.empty();
                    FileName = newName.empty() ? CurrentTimeText() + "_" + FileName : fromWide(newName);
                    NewNameChosen = true;
                }
                break;
            }
        }
    } else {
        bindF_.insert(TBindF::GetNewestVersion);
    }
    UpdateFlags();
    return true;
}

std::string TCustomIEDownload::CheckProtocol(const std::string& address) const
{
    static const char* const names[]
        = {"about", "cdl", "dvd", "file", "ftp", "gopher", "http", "ipp", "its", "javascript", "local", "mailto", "mk",
            "msdaipp", "ms-help", "ms-its", "mso", "res", "sysimage", "tv", "vbscript", "via", "https"};
    const std::string text = upper(address);
    for (const char* name : names)
        if (text.find(upper(name)) != std::string::npos)
            return address;
    return "http://" + address;
}

std::string TCustomIEDownload::PrepareFolder(const std::string& folder)
{
    std::string result = folder.empty() ? ProgramFolder() + "Downloads/" : folder;
    if (!result.empty() && result.back() != '/')
        result += '/';
    std::error_code ec;
    fs::create_directories(result, ec);
    if (ec || !fs::is_directory(result)) {
        SetLastErrorFromErrno(ec ? ec.value() : ENOTDIR);
        ReportError(
            static_cast<int>(GetLastError()), SysErrorMessage(GetLastError()) + " while creating download folder");
    }
    return result;
}

std::string TCustomIEDownload::GetFileNameFromUrl(const std::string& address)
{
    if (DownloadMethod != dmFile)
        return {};
    TUrl url;
    WideString encoded;
    url.CrackUrl(address, ICU_ESCAPE, encoded);
    const std::string candidate = url.ExtraInfo.find('.') != std::string::npos ? url.ExtraInfo : std::string();
    url.ParseUrl(address);
    return NameFromOutside(candidate.empty() ? url.Document : candidate);
}

std::string TCustomIEDownload::NameFromOutside(const std::string& name) const
{
    if (name.empty())
        return name;
    // A server must not be able to hide a file or to reach a dotfile of the
    // folder (".bashrc" in a home folder).
    const auto undotted = [](std::string text) { return text.erase(0, text.find_first_not_of('.')); };
    std::string safe = undotted(SafeFileName(name, DefaultUrlFileName));
    return safe.empty() ? undotted(SafeFileName(DefaultUrlFileName, "index.html")) : safe;
}

bool TCustomIEDownload::NameTaken(const std::string& folder, const std::string& name) const
{
    const std::string path = folder + ReplaceChar(name, '?', '_');
    std::error_code ec;
    if (fileNameGiven_)
        return fs::exists(path, ec);
    // A link is taken even when it leads nowhere: a name from outside never
    // writes through it.
    return fs::exists(fs::symlink_status(path, ec));
}

bool TCustomIEDownload::KeepsBoth(TFileExistsOption option) const
{
    return option == feOverWrite && !OnFileExists && !fileNameGiven_;
}

std::string TCustomIEDownload::FreeName(const std::string& folder, const std::string& name) const
{
    constexpr std::size_t kNameMax = 255;
    constexpr std::size_t kExtensionMax = 32;
    const auto dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && name.size() - dot <= kExtensionMax;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    const std::string stem = name.substr(0, name.size() - extension.size());
    for (int number = 2;; ++number) {
        const std::string suffix = " (" + std::to_string(number) + ")";
        std::size_t cut = std::min(stem.size(), kNameMax - suffix.size() - extension.size());
        while (cut > 0 && cut < stem.size() && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;
        std::string candidate = stem.substr(0, cut) + suffix + extension;
        if (!NameTaken(folder, candidate))
            return candidate;
    }
}

bool TCustomIEDownload::CheckUrl(const std::string& address)
{
    TUrl url;
    if (url.IsUrlValid(address))
        return true;
    ReportError(static_cast<int>(GetLastError()), SysErrorMessage(GetLastError()) + address);
    return false;
}

bool TCustomIEDownload::OpenFolder(const std::string& folder)
{
    if (DownloadMethod != dmFile)
        return false;
    if (QProcess::startDetached("xdg-open", {QString::fromStdString(folder)}))
        return true;
    ReportError(ERROR_FILE_NOT_FOUND, "Error while opening folder");
    return false;
}

void TCustomIEDownload::DoComplete()
{
    if (OnComplete)
        OnComplete(this, toWide(FileNameAndPath), toWide(FileName), toWide(DownloadFolder), toWide(FileExtension),
            ActiveConnections);
    SetState(sReady);
}

void TCustomIEDownload::Loaded()
{
    if (TimeOut == 0)
        TimeOut = INT_MAX;
    if (ProxySettings.AutoLoadProxy && !ProxySettings.Server.empty())
        SetProxy(ProxySettings.Server + ":" + std::to_string(ProxySettings.Port));
}

bool TCustomIEDownload::SetProxy(const std::string& proxy)
{
    applyProxy(proxy);
    return true;
}

bool TCustomIEDownload::ProcessEvents(TWaitEvent& event, std::chrono::steady_clock::time_point startTick, int timeOut)
{
    if (event.Signalled)
        return true;
    // Short slices keep the thread's other events flowing during long waits.
    const int slice = timeOut > 0 ? std::min(timeOut, 10) : 10;
    bool input = UrlMonProcessPending(slice);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        input |= dispatcher->processEvents(QEventLoop::AllEvents);
    if (callback_)
        callback_->CheckTimer();
    const auto now = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(std::max(timeOut, 0));
    if (input) {
        lastActivity_ = now;
        if (now - startTick > limit) {
            SetLastError(ERROR_TIMEOUT);
            ReportError(static_cast<int>(ERROR_TIMEOUT), "Error: Timeout.");
        }
    } else if (!event.Signalled && now - lastActivity_ >= limit) {
        lastActivity_ = now;
        SetLastError(WAIT_TIMEOUT);
        ReportError(static_cast<int>(WAIT_TIMEOUT), SysErrorMessage(WAIT_TIMEOUT));
    }
    return event.Signalled;
}
