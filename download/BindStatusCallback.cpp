#include "download/BindStatusCallback.h"

#include "download/DownloadStatus.h"
#include "download/Url.h"
#include "platform/files/SafeFile.h"
#include "platform/inet/SystemMessages.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr HRESULT kFailed = E_FAIL;

std::string extensionOf(const std::string& path) { return fs::path(path).extension().string(); }

std::string lastErrorText() { return SysErrorMessage(GetLastError()); }

HRESULT hresultFromWin32(DWORD code) { return makeHResult(0x80070000u | (code & 0xFFFFu)); }

} // namespace

TBSCB::TBSCB(TCustomIEDownload* owner, IBindCtx* bindContext, IMoniker* moniker)
    : owner_(owner), givenContext_(bindContext), givenMoniker_(moniker)
{}

TBSCB::~TBSCB() = default;

void TBSCB::Error(int code, const std::string& text) { owner_->ReportError(code, text); }

void TBSCB::Execute()
{
    info_ = std::make_unique<TInfoData>();
    LoadSettings();
    InitBinding();
    BindUrl();
    UpdateFileInfo();
    info_.reset();
}

void TBSCB::LoadSettings()
{
    TCustomIEDownload& o = *owner_;
    TInfoData& i = *info_;
    i.AdditionalHeader = o.AdditionalHeader;
    i.BindF = o.BindFValue();
    i.BindF2 = o.BindF2Value();
    i.BindInfoF = o.BindInfoFValue();
    i.BindVerb = o.BindVerbValue();
    i.CodePage = o.CodePageValue();
    i.CustomVerb = o.CustomVerb;
    i.Descriptor = o.Security.Descriptor;
    i.InheritHandle = o.Security.InheritHandle;
    i.DownloadFolder = o.DownloadFolder;
    i.ExtraInfo = o.ExtraInfo;
    i.FileName = o.FileName;
    i.FileExtension = o.FileExtension;
    i.FileSize = 0;
    i.Password = o.Password;
    i.PostData = o.PostData;
    i.PutFileName = o.PutFileName;
    i.RangeBegin = o.Range.RangeBegin;
    i.RangeEnd = o.Range.RangeEnd;
    i.TimeOut = o.TimeOut;
    i.Url = toWide(o.Url);
    i.UserName = o.UserName;
    i.Owner = owner_;
}

void TBSCB::InitBinding()
{
    startCounter_ = std::chrono::steady_clock::now();
    bytesRead_ = 0;
    timerEnabled_ = false;
    TimedOut = false;
    FormatSettings().LongTimeFormat = "mm:ss.zzz";
    if (info_->BindF & BINDF_ASYNCHRONOUS) {
        owner_->BSCBList().Items.push_back(this);
        ++info_->BindingCount;
        ++owner_->AsyncBindings;
    }
}

void TBSCB::BindUrl()
{
    owner_->BindingDone = false;
    HRESULT hr = CreateURLMonikerEx(nullptr, info_->Url, moniker_, URL_MK_UNIFORM);
    if (FAILED(hr)) {
        Error(static_cast<int>(GetLastError()), "Error while CreateURLMonikerEx: " + ResponseCodeText(hr));
        EndEarly();
        return;
    }
    if (owner_->OnConnect)
        owner_->OnConnect(this, hr, "CreateURLMonikerEx: " + ResponseCodeText(hr));
    hr = CreateAsyncBindCtx(0, this, bindContext_);
    if (FAILED(hr)) {
        Error(static_cast<int>(GetLastError()), "Error while CreateAsyncBindCtx: " + ResponseCodeText(hr));
        EndEarly();
        return;
    }
    if (owner_->OnConnect)
        owner_->OnConnect(this, hr, "CreateAsyncBindCtx: " + ResponseCodeText(hr));
    std::u16string displayName;
    if (SUCCEEDED(moniker_->IsRunning(bindContext_.get()))
        && SUCCEEDED(moniker_->GetDisplayName(bindContext_.get(), displayName)) && !displayName.empty()) {
        info_->Url = displayName;
        owner_->Url = fromWide(displayName);
    }
    TUrl parser;
    parser.ParseUrl(fromWide(info_->Url));
    info_->Host = parser.HostName;
    // A name chosen before the binding (given, from the query, or a new name
    // for an existing file) is kept; otherwise the address's file name.
    if (info_->FileName.empty())
        info_->FileName = owner_->NameFromOutside(parser.Document);
    IBindStatusCallback* previous = nullptr;
    hr = RegisterBindStatusCallback(bindContext_.get(), this, &previous, 0);
    if (FAILED(hr)) {
        Error(static_cast<int>(GetLastError()), "Error while RegisterBindStatusCallback: " + ResponseCodeText(hr));
    } else {
        registered_ = true;
        if (owner_->OnConnect)
            owner_->OnConnect(this, hr, "RegisterBindStatusCallback: " + ResponseCodeText(hr));
    }
    bindingEvent_.Signalled = false;
    hr = moniker_->BindToStorage(bindContext_.get(), nullptr);
    if (FAILED(hr)) {
        Error(static_cast<int>(GetLastError()), "Error while MonikerBindToStorage " + ResponseCodeText(hr));
        if (!owner_->BindingDone)
            EndEarly();
        return;
    }
    if (owner_->OnConnect)
        owner_->OnConnect(this, hr, "MonikerBindToStorage: " + ResponseCodeText(hr));
    try {
        while (!owner_->Cancelled && !owner_->BindingDone)
            owner_->ProcessEvents(bindingEvent_, owner_->startTick_, owner_->TimeOut);
    } catch (...) {
        Error(static_cast<int>(E_FAIL), "ProcessEvents fails to wait until complete.");
        throw;
    }
    StopCancelledBinding();
    if (registered_) {
        hr = RevokeBindStatusCallback(bindContext_.get(), this);
        if (FAILED(hr))
            Error(hr, "Error while RevokeBindStatusCallback. " + ResponseCodeText(hr));
        else if (owner_->OnConnect)
            owner_->OnConnect(this, hr, "RevokeBindStatusCallback: " + ResponseCodeText(0));
    }
    if (owner_->ActiveConnections == 0)
        owner_->Busy = false;
    if (info_->BindF & BINDF_ASYNCHRONOUS) {
        auto& items = owner_->BSCBList().Items;
        items.erase(std::remove(items.begin(), items.end(), this), items.end());
        --info_->BindingCount;
        --owner_->AsyncBindings;
    }
}

// A cancelled download still ends its binding, so that the stop report runs
// and the component's connection count comes right.
void TBSCB::StopCancelledBinding()
{
    if (owner_->BindingDone || !moniker_ || !moniker_->Binding())
        return;
    moniker_->Binding()->Abort();
    while (!owner_->BindingDone)
        UrlMonProcessPending(10);
}

// The binding never started: nothing will report its stop, so the download
// is ended here.
void TBSCB::EndEarly()
{
    owner_->BindingDone = true;
    if (owner_->ActiveConnections > 0)
        --owner_->ActiveConnections;
    if (owner_->ActiveConnections == 0) {
        owner_->Busy = false;
        if (owner_->downloadEvent_)
            owner_->downloadEvent_->Signalled = true;
    }
}

void TBSCB::UpdateFileInfo()
{
    TCustomIEDownload& o = *owner_;
    o.FileNameAndPath = info_->DownloadFolder + info_->FileName;
    o.FileExtension = info_->FileExtension = extensionOf(o.FileNameAndPath);
    o.FileName = info_->FileName;
    o.DownloadFolder = info_->DownloadFolder;
}

void TBSCB::CheckTimer()
{
    if (!timerEnabled_ || info_ == nullptr || info_->TimeOut <= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - timerStart_ >= std::chrono::milliseconds(info_->TimeOut)) {
        TimedOut = true;
        timerStart_ = now;
    }
}

bool TBSCB::AbortIfCancelled()
{
    if (!owner_->Cancelled)
        return false;
    if (binding_)
        binding_->Abort();
    return true;
}

HRESULT TBSCB::GetBindInfo(DWORD& bindF, BINDINFO& info)
{
    bindF = info_->BindF;
    info = BINDINFO{};
    info.cbSize = 84;
    info.grfBindInfoF = info_->BindInfoF;
    info.dwBindVerb = Redirected ? BINDVERB_GET : info_->BindVerb;
    info.dwCodePage = info_->CodePage;
    info.securityAttributes.nLength = 12;
    info.securityAttributes.lpSecurityDescriptor = info_->Descriptor;
    info.securityAttributes.bInheritHandle = info_->InheritHandle;
    info.szExtraInfo = toWide(info_->ExtraInfo);
    if (info.dwBindVerb == BINDVERB_POST && !info_->PostData.empty()) {
        info.stgmedData.assign(info_->PostData.begin(), info_->PostData.end());
    } else if (info.dwBindVerb == BINDVERB_PUT && !info_->PutFileName.empty()) {
        std::ifstream in(info_->PutFileName, std::ios::binary);
        if (!in) {
            SetLastErrorFromErrno(errno);
            Error(static_cast<int>(GetLastError()), lastErrorText() + " while reading " + info_->PutFileName);
            owner_->Cancelled = true; // sending no body would replace the resource with nothing
        }
        info.stgmedData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (info.dwBindVerb == BINDVERB_CUSTOM) {
        info.szCustomVerb = toWide(info_->CustomVerb);
    }
    if (owner_->OnGetBindInfo)
        owner_->OnGetBindInfo(this, bindF, info);
    return S_OK;
}

HRESULT TBSCB::GetBindInfoEx(DWORD& bindF, BINDINFO& info, DWORD& bindF2, DWORD& reserved)
{
    if (owner_->OnGetBindInfoEx)
        owner_->OnGetBindInfoEx(this, bindF, info, bindF2);
    auto handler = std::move(owner_->OnGetBindInfo);
    GetBindInfo(bindF, info);
    owner_->OnGetBindInfo = std::move(handler);
    bindF2 = info_->BindF2;
    reserved = 0;
    return S_OK;
}

HRESULT TBSCB::OnStartBinding(DWORD, IBinding* binding)
{
    if (owner_->Cancelled)
        return kFailed;
    binding_ = binding;
    DWORD length = 0;
    if (QueryInfoNumber(HTTP_QUERY_CONTENT_LENGTH, length))
        info_->FileSize = length;
    if (ParseContentDisposition() == feSkip) {
        owner_->Cancelled = true;
        return kFailed;
    }
    bool cancel = false;
    if (owner_->OnBeforeDownload) {
        const std::string offered = info_->FileName;
        owner_->OnBeforeDownload(info_.get(), fromWide(info_->Url), offered, info_->FileExtension, info_->Host,
            info_->DownloadFolder, static_cast<int>(info_->FileSize), cancel);
        if (info_->FileName != offered)
            owner_->fileNameGiven_ = true;
    }
    owner_->FileName = info_->FileName;
    owner_->DownloadFolder = info_->DownloadFolder;
    if (owner_->DownloadMethod == dmStream)
        info_->FileName.clear();
    else if (info_->FileName.empty() && !owner_->NewNameChosen)
        info_->FileName = GetDefaultFileName(fromWide(info_->Url));
    if (owner_->OnStartBinding)
        owner_->OnStartBinding(this, cancel, binding, toWide(info_->FileName), static_cast<int>(info_->FileSize));
    if (cancel) {
        owner_->Cancelled = true;
        return kFailed;
    }
    return S_OK;
}

HRESULT TBSCB::GetPriority(LONG& priority)
{
    AbortIfCancelled();
    priority = 0;
    return S_OK;
}

HRESULT TBSCB::OnLowResource(DWORD) { return E_NOTIMPL; }

HRESULT TBSCB::OnObjectAvailable()
{
    AbortIfCancelled();
    return S_OK;
}

HRESULT TBSCB::BeginningTransaction(
    const std::u16string& url, const std::u16string& headers, DWORD, char16_t** additionalHeaders)
{
    if (AbortIfCancelled())
        return E_ABORT;
    std::string text
        = "User-agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)(" + owner_->UserAgent + ")\r\n";
    if (info_->FileName.empty()) {
        info_->RangeBegin = info_->RangeEnd = 0;
    } else {
        // The target is looked for where it will be written.
        const std::string target = info_->DownloadFolder + ReplaceChar(info_->FileName, '?', '_');
        std::error_code ec;
        if (!info_->DownloadFolder.empty() && owner_->NameTaken(info_->DownloadFolder, info_->FileName)) {
            info_->RangeEnd = 0;
            DWORD action = 0;
            if (owner_->OnResume) {
                owner_->OnResume(this, info_->FileName, action);
                info_->RangeBegin = static_cast<int>(fs::file_size(target, ec));
            }
            switch (DecideOnExistingFile()) {
            case feOverWrite:
                if (binding_)
                    binding_->Resume();
                if (owner_->OnResume)
                    owner_->OnResume(this, info_->FileName, action);
                info_->RangeBegin = 0;
                break;
            case feSkip:
                if (binding_)
                    binding_->Abort();
                return E_ABORT;
            case feRename:
                // A new file continues nothing: asking for the rest of the
                // old one would save a file without its beginning.
                info_->RangeBegin = 0;
                break;
            }
        }
    }
    if (info_->RangeBegin != 0 || info_->RangeEnd != 0) {
        text += "Range: bytes=" + std::to_string(info_->RangeBegin) + "-";
        if (info_->RangeEnd != 0)
            text += std::to_string(info_->RangeEnd);
        text += "\r\n";
    }
    for (const std::string& line : info_->AdditionalHeader)
        text += line + "\r\n";
    *additionalHeaders = TaskMemString(toWide(text));
    HRESULT result = S_OK;
    if (owner_->OnBeginningTransaction)
        result = owner_->OnBeginningTransaction(this, url, headers, 0, *additionalHeaders);
    timerEnabled_ = true;
    timerStart_ = std::chrono::steady_clock::now();
    TimedOut = false;
    return result;
}

HRESULT TBSCB::OnResponse(DWORD responseCode, const std::u16string& responseHeaders,
    const std::u16string& requestHeaders, char16_t** additionalRequestHeaders)
{
    if (AbortIfCancelled())
        return E_ABORT;
    answered_ = true;
    HRESULT result = S_OK;
    DWORD number = 1;
    const bool noContent = (QueryInfoNumber(HTTP_QUERY_CUSTOM, number) && number == 0)
        || (QueryInfoNumber(HTTP_QUERY_CONTENT_LENGTH, number) && number == 0);
    if (noContent || responseCode >= 400) {
        Error(static_cast<int>(responseCode), ResponseCodeText(static_cast<std::int32_t>(responseCode)));
        result = E_ABORT;
    }
    if (owner_->OnResponse) {
        char16_t* extra = nullptr;
        result = owner_->OnResponse(this, responseCode, responseHeaders, requestHeaders, extra);
        *additionalRequestHeaders = extra;
    }
    if (info_->RangeBegin != 0 && !info_->FileName.empty()) {
        std::string ranges;
        const bool resumable = QueryInfoText(HTTP_QUERY_ACCEPT_RANGES, ranges) && ranges == "bytes";
        if (!resumable && responseCode != 206) {
            OpenTarget(false);
            info_->RangeBegin = 0;
        } else {
            OpenTarget(true);
        }
    } else if (owner_->DownloadMethod == dmFile) {
        OpenTarget(false);
    }
    return result;
}

// Opens the target. Its data goes to a temporary file beside it, which
// takes the target's name only when the binding succeeds; a resumed
// download starts from a copy of the target itself.
bool TBSCB::OpenTarget(bool append)
{
    target_.reset();
    const std::string path = GetFilePath();
    if (path.empty())
        return false;
    auto target = std::make_unique<SafeFileWriter>(
        path, owner_->fileNameGiven_ ? SafeFileWriter::Existing::FollowLinks : SafeFileWriter::Existing::Replace);
    if (!target->Open(append))
        return FileFailed("create", path);
    // What killed downloads of this name left behind; a day is longer than
    // any download still running.
    RemoveStaleTemporaryFiles(target->FinalPath());
    target_ = std::move(target);
    return true;
}

// Gives the downloaded file its name. False when that failed (reported).
bool TBSCB::SaveTarget()
{
    if (!target_)
        return true;
    const std::string path = target_->FinalPath();
    if (!target_->Commit())
        return FileFailed("save", path);
    target_.reset();
    owner_->SavedFilePath = path;
    return true;
}

// A step of writing the file failed (errno says why): the first failure is
// reported and becomes the download's result, the temporary file goes, and
// the binding stops.
bool TBSCB::FileFailed(const char* step, std::string path)
{
    const int reason = errno;
    target_.reset();
    SetLastErrorFromErrno(reason);
    if (fileFailureText_.empty()) {
        fileFailure_ = hresultFromWin32(GetLastError());
        fileFailureText_ = std::string("Could not ") + step + " " + path + ": " + std::strerror(reason);
        Error(static_cast<int>(GetLastError()), fileFailureText_);
    }
    if (binding_)
        binding_->Abort();
    return false;
}

HRESULT TBSCB::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const std::u16string& statusText)
{
    if (owner_->Cancelled && binding_) {
        binding_->Abort();
        return S_OK;
    }
    const std::string status = ResponseCodeText(static_cast<std::int32_t>(statusCode));
    if (progressMax < progress)
        progressMax = progress;
    owner_->FileSize = progressMax;
    std::string downloaded, elapsed, speed, remaining, percent, shownStatus;
    const std::string text = fromWide(statusText);
    switch (statusCode) {
    case BINDSTATUS_CONNECTING:
        owner_->ServerAddress = text;
        break;
    case BINDSTATUS_REDIRECTING:
        Redirected = true;
        owner_->DownloadUrl = text;
        if (owner_->OnRedirect && owner_->Url != text) {
            bool abortRedirect = false;
            owner_->OnRedirect(this, abortRedirect, owner_->Url, text);
            if (abortRedirect) {
                owner_->Cancelled = true;
                return E_INVALIDARG;
            }
        }
        break;
    case BINDSTATUS_BEGINDOWNLOADDATA:
        owner_->DownloadUrl = text;
        break;
    case BINDSTATUS_MIMETYPEAVAILABLE:
        owner_->MimeType = text;
        break;
    case BINDSTATUS_DOWNLOADINGDATA:
        if (owner_->OnProgress)
            ProgressTexts(progress, progressMax, downloaded, elapsed, speed, remaining, percent);
        break;
    case BINDSTATUS_ENDDOWNLOADDATA:
        downloaded = "Done.";
        speed = "0/00kb/sec";
        remaining = "00.00.00";
        shownStatus = "Done.";
        percent = "100%";
        progress = progressMax = 0;
        break;
    default:
        break;
    }
    if (owner_->OnProgress)
        owner_->OnProgress(this, progress, progressMax, statusCode, owner_->FileSize, statusText, downloaded, elapsed,
            speed, remaining, statusCode == BINDSTATUS_ENDDOWNLOADDATA ? shownStatus : status, percent);
    return S_OK;
}

void TBSCB::ProgressTexts(ULONG progress, ULONG maximum, std::string& downloaded, std::string& elapsed,
    std::string& speed, std::string& remaining, std::string& percent)
{
    char buf[64];
    if (progress > 0)
        downloaded = FormatSize(progress);
    if (progress > 0 && maximum > 0) {
        std::snprintf(buf, sizeof buf, "%.1f %%", static_cast<double>(progress) / maximum * 100);
        percent = buf;
    }
    const double seconds
        = std::round(std::chrono::duration<double>(std::chrono::steady_clock::now() - startCounter_).count());
    elapsed = FormatTime(static_cast<std::int32_t>(seconds));
    const double rate = (progress > 0 && seconds > 0) ? progress / 1024.0 / seconds : 0.0;
    std::snprintf(buf, sizeof buf, "%.1f kb/sec", rate);
    speed = buf;
    if (maximum > 0 && rate > 0 && progress < maximum)
        remaining = FormatTime(
            static_cast<std::int32_t>(std::round(maximum / rate / 1000) - std::round(progress / rate / 1000)));
    else
        remaining = ZeroTimeText();
}

HRESULT TBSCB::OnDataAvailable(DWORD bscf, DWORD size, IStream* stream)
{
    if (AbortIfCancelled())
        return S_OK;
    if (owner_->OnDataAvailableInfo)
        owner_->OnDataAvailableInfo(this, bscf, DataFlagsText(bscf));
    timerStart_ = std::chrono::steady_clock::now();
    // Addresses without HTTP answers (file, ftp) get their target here.
    if ((bscf & BSCF_FIRSTDATANOTIFICATION) && !answered_ && owner_->DownloadMethod == dmFile && !target_
        && !OpenTarget(false))
        return S_OK;
    while (stream && size != bytesRead_) {
        buffer_.resize(static_cast<std::size_t>(size - bytesRead_));
        ULONG read = 0;
        stream->Read(buffer_.data(), static_cast<ULONG>(buffer_.size()), &read);
        if (read == 0)
            break;
        DWORD length = read;
        buffer_.resize(read);
        if (owner_->OnDataAvailable)
            owner_->OnDataAvailable(this, buffer_, length);
        length = std::min<DWORD>(length, static_cast<DWORD>(buffer_.size()));
        if (!info_->FileName.empty() && target_) {
            if (!target_->Write(buffer_.data(), length)) {
                FileFailed("write", target_->FinalPath());
                return S_OK;
            }
        } else {
            memoryStream_.Write(buffer_.data(), length);
        }
        bytesRead_ += read;
    }
    return S_OK;
}

HRESULT TBSCB::OnStopBinding(HRESULT result, const std::u16string& error)
{
    if (binding_) {
        GUID protocol;
        DWORD code = 0;
        std::u16string text;
        const HRESULT hr = binding_->GetBindResult(protocol, code, text);
        if (SUCCEEDED(hr)) {
            TBSCB* self = this;
            if (owner_->OnGetBindResults)
                owner_->OnGetBindResults(self, protocol, code, text, ResponseCodeText(static_cast<std::int32_t>(code)));
            if (FAILED(static_cast<HRESULT>(code)))
                Error(static_cast<int>(code),
                    text.empty() ? ResponseCodeText(static_cast<std::int32_t>(code)) : fromWide(text));
        } else {
            Error(hr, ResponseCodeText(hr));
        }
    } else if (FAILED(result)) {
        Error(result, ResponseCodeText(result));
    }
    // The file gets its name when all its data arrived; a time-out report
    // below does not undo a complete transfer.
    if (SUCCEEDED(result))
        SaveTarget();
    target_.reset();
    std::u16string stopError = error;
    if (!fileFailureText_.empty()) {
        result = fileFailure_;
        stopError = toWide(fileFailureText_);
    }
    if (TimedOut) {
        Error(static_cast<int>(INET_E_CONNECTION_TIMEOUT), "The Internet connection has timed out.");
        result = INET_E_CONNECTION_TIMEOUT;
        stopError = u"The Internet connection has timed out.";
    }
    timerEnabled_ = false;
    if (owner_->OnStopBinding)
        owner_->OnStopBinding(this, result, stopError);
    owner_->SetState(sStopped);
    if (owner_->OnStreamComplete)
        owner_->OnStreamComplete(this, memoryStream_, result);
    owner_->BindingDone = true;
    bindingEvent_.Signalled = true;
    if (owner_->ActiveConnections == 0)
        owner_->Busy = false;
    if (owner_->OnTerminate) {
        bool cancel = false;
        owner_->OnTerminate(this, 0, toWide(info_->FileName), cancel);
    }
    --owner_->ActiveConnections;
    if (owner_->ActiveConnections == 0 && owner_->downloadEvent_)
        owner_->downloadEvent_->Signalled = true;
    return result;
}

std::string TBSCB::GetFilePath()
{
    if (owner_->DownloadMethod != dmFile)
        return {};
    if (info_->FileName.empty())
        info_->FileName = owner_->GetFileNameFromUrl(fromWide(info_->Url));
    if (info_->FileName.empty())
        info_->FileName = owner_->DefaultUrlFileName;
    const std::string path = info_->DownloadFolder + info_->FileName;
    owner_->FileNameAndPath = path;
    owner_->FileExtension = info_->FileExtension = extensionOf(path);
    owner_->FileName = info_->FileName;
    owner_->DownloadFolder = info_->DownloadFolder;
    return ReplaceChar(path, '?', '_');
}

std::string TBSCB::GetDefaultFileName(const std::string& address)
{
    TUrl url;
    WideString encoded;
    url.CrackUrl(address, ICU_ESCAPE, encoded);
    return url.ExtraInfo.find('.') != std::string::npos ? owner_->NameFromOutside(url.ExtraInfo)
                                                        : owner_->DefaultUrlFileName;
}

// Asks OnFileExists about the existing target FileName (the handler may
// change the option and name a new file) and applies a rename; the caller
// carries out overwriting or skipping.
TFileExistsOption TBSCB::DecideOnExistingFile()
{
    TFileExistsOption option = owner_->FileExistsOption;
    WideString newName;
    if (owner_->OnFileExists)
        owner_->OnFileExists(option, toWide(info_->FileName), newName);
    if (owner_->KeepsBoth(option)) {
        info_->FileName = owner_->FreeName(info_->DownloadFolder, info_->FileName);
        owner_->NewNameChosen = true;
        return feRename;
    }
    if (option == feRename) {
        if (!newName.empty())
            owner_->fileNameGiven_ = true;
        info_->FileName = newName.empty() ? CurrentTimeText() + "_" + info_->FileName : fromWide(newName);
        owner_->NewNameChosen = true;
    }
    return option;
}

TFileExistsOption TBSCB::ParseContentDisposition()
{
    std::string value;
    if (!QueryInfoText(HTTP_QUERY_CONTENT_DISPOSITION, value))
        return feOverWrite;
    const auto at = value.find("filename=");
    if (at != std::string::npos) {
        std::string name = value.substr(at + 9);
        if (!name.empty() && name.front() == '"') {
            const auto pair = name.find("\";");
            if (pair != std::string::npos)
                name.erase(pair + 1);
            name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
        } else {
            const auto semicolon = name.find(';');
            if (semicolon != std::string::npos)
                name.erase(semicolon);
        }
        if (!owner_->fileNameGiven_ && !owner_->NewNameChosen) {
            const std::string fromServer = owner_->NameFromOutside(name);
            if (fromServer != info_->FileName) {
                info_->FileName = fromServer;
                // The existing-file rule ran on the name the request was made
                // for; a server's name gets the same rule, so that it cannot
                // replace a file the options say to keep.
                if (!info_->DownloadFolder.empty() && owner_->NameTaken(info_->DownloadFolder, fromServer)) {
                    const TFileExistsOption option = DecideOnExistingFile();
                    owner_->FileName = info_->FileName;
                    return option;
                }
            }
        }
    }
    owner_->FileName = info_->FileName;
    return feOverWrite;
}

bool TBSCB::QueryInfoNumber(DWORD item, DWORD& number)
{
    DWORD size = sizeof number;
    return binding_ && SUCCEEDED(binding_->QueryInfo(item | HTTP_QUERY_FLAG_NUMBER, &number, size));
}

bool TBSCB::QueryInfoText(DWORD item, std::string& text)
{
    // Room for any header line a server sends (a long Content-Disposition
    // name is cut to a file name later, not dropped here).
    std::vector<char> buffer(64 * 1024 + 1);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!binding_ || FAILED(binding_->QueryInfo(item, buffer.data(), size)))
        return false;
    text = buffer.data();
    return true;
}

HRESULT TBSCB::Authenticate(void*& window, char16_t*& userName, char16_t*& password)
{
    window = nullptr;
    WideString user, pass;
    HRESULT result = S_OK;
    if (owner_->OnAuthenticate)
        owner_->OnAuthenticate(this, window, user, pass, result);
    userName = user.empty() ? nullptr : TaskMemString(user);
    password = pass.empty() ? nullptr : TaskMemString(pass);
    return result;
}

HRESULT TBSCB::AuthenticateEx(void*& window, char16_t*& userName, char16_t*& password, const AUTHENTICATEINFO& info)
{
    window = nullptr;
    WideString user, pass;
    HRESULT result = S_OK;
    if (owner_->OnAuthenticateEx)
        owner_->OnAuthenticateEx(this, window, user, pass, info, result);
    userName = user.empty() ? nullptr : TaskMemString(user);
    password = pass.empty() ? nullptr : TaskMemString(pass);
    return result;
}

HRESULT TBSCB::OnSecurityProblem(DWORD problem)
{
    if (owner_->OnSecurityProblem)
        return owner_->OnSecurityProblem(this, problem, ResponseCodeText(static_cast<std::int32_t>(problem)));
    return S_FALSE;
}

HRESULT TBSCB::GetWindow(const GUID& reason, void*& window)
{
    window = nullptr;
    if (owner_->OnGetWindow)
        return owner_->OnGetWindow(this, reason, window);
    return S_OK;
}

HRESULT TBSCB::OnCodeInstallProblem(
    ULONG statusCode, const WideString& destination, const WideString& source, DWORD reserved)
{
    if (owner_->OnCodeInstallProblem)
        return owner_->OnCodeInstallProblem(
            this, statusCode, destination, source, reserved, ResponseCodeText(static_cast<std::int32_t>(statusCode)));
    return S_OK;
}

HRESULT TBSCB::GetRootSecurityId(std::vector<std::uint8_t>& securityId, DWORD& size)
{
    return owner_->OnGetRootSecurityId ? owner_->OnGetRootSecurityId(securityId, size) : E_NOTIMPL;
}

HRESULT TBSCB::GetSerializedClientCertContext(std::vector<std::uint8_t>& certificate, DWORD& size)
{
    TBSCB* self = this;
    return owner_->OnGetSerializedClientCertContext ? owner_->OnGetSerializedClientCertContext(self, certificate, size)
                                                    : S_FALSE;
}

HRESULT TBSCB::PutProperty(DWORD kind, const WideString& value)
{
    return owner_->OnPutProperty ? owner_->OnPutProperty(this, kind, value) : E_NOTIMPL;
}

HRESULT TBSCB::QueryService(const GUID& service, const GUID& iid, void*& object)
{
    object = nullptr;
    if (owner_->OnQueryService)
        owner_->OnQueryService(this, service, iid, object);
    return object ? S_OK : E_NOINTERFACE;
}
