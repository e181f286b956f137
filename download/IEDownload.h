#pragma once
// TIEDownload fetches one web address at a time into a file of a download
// folder, or into memory, over the asynchronous URL binding, and reports
// every step through its events. A download blocks the calling thread and
// keeps its Qt events flowing while it waits; every event runs on that
// thread, inside the call. TBSCB (BindStatusCallback.h) carries out the
// binding itself.
#include "download/MemoryStream.h"
#include "platform/com/ComTypes.h"
#include "platform/urlmon/UrlMon.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TBSCB;
class TBSCBList;
struct TInfoData;

enum class TBindF {
    Asynchronous,
    AsyncStorage,
    NoProgressiveRendering,
    OfflineOperation,
    GetNewestVersion,
    NoWriteCache,
    NeedFile,
    PullData,
    IgnoreSecurityProblem,
    Resynchronize,
    AllowHyperlink,
    No_UI,
    SilentOperation,
    Pragma_No_Cache,
    GetClassObject,
    Reserved_1,
    Free_Threaded,
    DirectReadIgnoreSize,
    HandleAsFormsSubmit,
    GetFromCacheIfNetFail,
    FromUrlmon,
    FisrtTryCache,
    PreferDefaultHandler,
    RestrictedSitesZone
};
enum class TBindF2 {
    DisableBasicAuth,
    DisableAutoCookie,
    DisableRedirectUnlessSID,
    ReadDataOver4GB,
    Reserved_2,
    Reserved_11
};
enum class TBindInfoF { PostData, ExtraInfo };
enum class TBindInfoOption {
    UseBindInfoOptions,
    EnableUtf8,
    DisableUtf8,
    UseIE_Encoding,
    BindToObject,
    SecurityOptOut,
    IgnoreMimeTextPlain,
    UseBindStrCredentials,
    IgnoreHttp2HttpsRedirect,
    IgnoreSslErrOnce,
    WpcDownloadBlocked,
    WpcLoggingEnabled,
    DisableAutoRedirect,
    ShDocVw_Reserved,
    AllowConnectMessages
};
enum class TBindVerb { Get, Post, Put, Custom };
enum class TCodePageOption { Ansi, OEM, Mac, ThreadsAnsi, Symbol, UTF7, UTF8 };
enum TDownloadMethod { dmStream, dmFile };
enum TFileExistsOption { feOverWrite, feSkip, feRename };
enum TState { sBusy, sReady, sStopped };

using TBindFSet = std::set<TBindF>;
using TBindF2Set = std::set<TBindF2>;
using TBindInfoFSet = std::set<TBindInfoF>;
using TBindInfoOptionSet = std::set<TBindInfoOption>;

// The platform's flag value of a set: the sum of its elements' values.
DWORD FlagValue(const TBindFSet& set);
DWORD FlagValue(const TBindF2Set& set);
DWORD FlagValue(const TBindInfoFSet& set);
DWORD FlagValue(const TBindInfoOptionSet& set);
DWORD VerbValue(TBindVerb verb);
DWORD CodePageValue(TCodePageOption codePage);

struct TProxySettings {
    bool AutoLoadProxy = false;
    int Port = 80;
    std::string Server;
};

struct TRange {
    int RangeBegin = 0;
    int RangeEnd = 0;
};

struct TSecurity {
    bool InheritHandle = false;
    std::string Descriptor;
};

struct AUTHENTICATEINFO {
    DWORD dwFlags = 0;
    DWORD dwReserved = 0;
};

// A manual-reset event of one wait loop.
struct TWaitEvent {
    bool Signalled = false;
};

class TCustomIEDownload {
public:
    TCustomIEDownload();
    virtual ~TCustomIEDownload();
    TCustomIEDownload(const TCustomIEDownload&) = delete;
    TCustomIEDownload& operator=(const TCustomIEDownload&) = delete;

    // Downloads Address; shows the folder afterwards when OpenDownloadFolder.
    void Go(const std::string& address);
    // The whole download: true when a binding ran, false when it was refused
    // (empty address, invalid address, skipped existing file). Exactly one
    // OnComplete either way.
    bool Download(const std::string& address, const std::string& fileName = {}, IBindCtx* bindContext = nullptr,
        IMoniker* moniker = nullptr, const std::string& folder = {});
    // True when the address answers 200 or 401; otherwise OnError.
    bool CheckUrl(const std::string& address);
    // Opens the download folder in the desktop's file manager (dmFile only).
    bool OpenFolder(const std::string& folder);
    // After the component's settings were read from a stored form: a 0
    // TimeOut becomes the longest wait, and the proxy is applied.
    void Loaded();
    // Writes a proxy into the internet settings this process's downloads use
    // ("host:port"; empty: no proxy).
    bool SetProxy(const std::string& proxy);

    // One pass of a wait loop: waits for the event, network activity or Qt
    // events at most TimeOut ms, delivers them, and reports time-outs through
    // OnError (they never stop anything). True when the event is signalled.
    bool ProcessEvents(TWaitEvent& event, std::chrono::steady_clock::time_point startTick, int timeOut);

    // Properties.
    const std::string& About() const { return about_; }
    void SetAbout(const std::string&) {}
    std::vector<std::string> AdditionalHeader{"Content-Type: application/x-www-form-urlencoded "};
    const TBindFSet& BindF() const { return bindF_; }
    void SetBindF(const TBindFSet& value);
    const TBindF2Set& BindF2() const { return bindF2_; }
    void SetBindF2(const TBindF2Set& value);
    const TBindInfoFSet& BindInfoF() const { return bindInfoF_; }
    void SetBindInfoF(const TBindInfoFSet& value);
    TBindVerb BindVerb() const { return bindVerb_; }
    void SetBindVerb(TBindVerb value);
    const TBindInfoOptionSet& BindInfoOptions() const { return bindInfoOptions_; }
    void SetBindInfoOptions(const TBindInfoOptionSet& value);
    TCodePageOption CodePage() const { return codePage_; }
    void SetCodePage(TCodePageOption value);
    std::string CustomVerb;
    const std::string& DefaultProtocol() const { return defaultProtocol_; }
    void SetDefaultProtocol(const std::string& value);
    std::string DefaultUrlFileName = "index.html";
    std::string DownloadFolder;
    TDownloadMethod DownloadMethod = dmFile;
    std::string ExtraInfo;
    // What happens to an existing file of the target's name. A name the
    // caller gave (the FileName argument, a name written by OnBeforeDownload
    // or OnFileExists) follows links and feOverWrite replaces the file. A
    // name from the server or the address never writes through a link, and
    // feOverWrite keeps both files unless an OnFileExists handler chose it:
    // the download is saved as "name (2).ext" (the first number free), and
    // NewNameChosen is set.
    TFileExistsOption FileExistsOption = feOverWrite;
    std::string FileName;
    bool OpenDownloadFolder = false;
    std::string Password;
    std::string PostData;
    TProxySettings ProxySettings;
    std::string PutFileName;
    TRange Range;
    TSecurity Security;
    // Milliseconds. 0 (a component created in code) reports a time-out
    // through OnError at every pass of a wait; Loaded() turns 0 into the
    // longest wait.
    int TimeOut = 0;
    std::string Url;
    std::string UserAgent;
    std::string UserName;
    bool UseSystemDownloadFolder = false;
    bool ValidateUrl = false;

    // Platform values of the flag properties, kept by UpdateFlags.
    DWORD BindFValue() const { return bindFValue_; }
    DWORD BindF2Value() const { return bindF2Value_; }
    DWORD BindInfoFValue() const { return bindInfoFValue_; }
    DWORD BindInfoOptionsValue() const { return bindInfoOptionsValue_; }
    DWORD BindVerbValue() const { return bindVerbValue_; }
    DWORD CodePageValue() const { return codePageValue_; }

    // Run-time state.
    bool Busy = false;
    bool Cancelled = false;
    bool BindingDone = false;
    bool NewNameChosen = false;
    int ActiveConnections = 0;
    TState State = sReady;
    std::string FileNameAndPath;
    std::string FileExtension;
    // The file on disk that holds the download once the binding saved it
    // under its own name ("?" of the name is "_" there); empty while a
    // download runs and after one that saved nothing (refused, failed,
    // cancelled, or into memory).
    std::string SavedFilePath;
    std::uint32_t FileSize = 0;
    std::string MimeType;
    std::string ServerAddress;
    std::string DownloadUrl;
    int AsyncBindings = 0;
    TBSCBList& BSCBList() { return *bscbList_; }

    // Events; an unassigned event is skipped.
    // A 401 answer: user name and password to send. Without a handler (or
    // with an empty user name) the 401 answer is final.
    std::function<void(TBSCB* Sender, void*& hwnd, WideString& UserName, WideString& Password, HRESULT& Result)>
        OnAuthenticate;
    // As OnAuthenticate, with the platform's authentication record (AuthInfo).
    // The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: no credentials (S_OK).
    std::function<void(TBSCB* Sender, void*& hwnd, WideString& UserName, WideString& Password,
        const AUTHENTICATEINFO& AuthInfo, HRESULT& Result)>
        OnAuthenticateEx;
    // The binding passes a moniker property (mkp: its kind, val: its value).
    // The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: E_NOTIMPL.
    std::function<HRESULT(TBSCB* Sender, DWORD mkp, const WideString& val)> OnPutProperty;
    // Raised once per binding when the answer's headers are in, before any
    // data. Url is the address fetched, FileName the name the file will get
    // in DownloadFolder (a name from the answer or the address is already
    // reduced to one safe name), FileSize the Content-Length (0 unknown).
    // Sender is the binding's settings: a name the handler writes into
    // Sender->FileName is the caller's and used as given. Cancel true stops
    // the download (E_FAIL, nothing saved). Unassigned: the download goes on.
    std::function<void(TInfoData* Sender, const std::string& Url, const std::string& FileName,
        const std::string& FileExtension, const std::string& Host, const std::string& DownloadFolder, int FileSize,
        bool& Cancel)>
        OnBeforeDownload;
    // Raised before each HTTP request is sent (again after a redirect): szURL is the
    // address, szHeaders the request's headers; szAdditionalHeaders comes in with the
    // component's User-agent, Range and AdditionalHeader lines (CR LF separated, task
    // memory) and the handler may replace it (free the old text with CoTaskMemFree).
    // A failure result stops the request and the download fails with it.
    // Unassigned: the request goes with the component's lines.
    std::function<HRESULT(TBSCB* Sender, const WideString& szURL, const WideString& szHeaders, DWORD dwReserved,
        char16_t*& szAdditionalHeaders)>
        OnBeginningTransaction;
    // The binding reports a problem installing downloaded code (ulStatusCode, with
    // stResult its text). The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: S_OK.
    std::function<HRESULT(TBSCB* Sender, ULONG ulStatusCode, const WideString& szDestination,
        const WideString& szSource, DWORD dwReserved, const std::string& stResult)>
        OnCodeInstallProblem;
    // Raised for each block of data as it arrives, before it is written: Buffer holds
    // the block and BufLength its length. The handler may change the bytes and shorten
    // BufLength (never beyond Buffer's size); what is left is what gets saved (or
    // kept in memory for dmStream). Unassigned: the block is saved as it came.
    std::function<void(TBSCB* Sender, std::vector<char>& Buffer, DWORD& BufLength)> OnDataAvailable;
    // Raised at each data notification, before OnDataAvailable: grfBSCF are the
    // notification's BSCF_* flags and Status their text. Unassigned: nothing.
    std::function<void(TBSCB* Sender, DWORD grfBSCF, const std::string& Status)> OnDataAvailableInfo;
    // Raised after each step of setting up the binding that succeeded (creating the
    // moniker, the bind context, starting the bind): Res is the step's result and
    // stMessage names the step and its result text. Unassigned: nothing.
    std::function<void(TBSCB* Sender, HRESULT Res, const std::string& stMessage)> OnConnect;
    // Raised once at the end of every download, also a refused one, after
    // the binding stopped. The arguments are FileNameAndPath, FileName,
    // DownloadFolder and FileExtension (empty for a refused download) and
    // the bindings still running. A saved file is under its own name by then
    // (SavedFilePath); a failed or cancelled download leaves no file, as its
    // data went to a temporary file that is gone. Unassigned: nothing.
    std::function<void(TCustomIEDownload* Sender, const WideString& aFileNameAndPath, const WideString& aFileName,
        const WideString& aFolderName, const WideString& aExtension, int ActiveConnections)>
        OnComplete;
    // Raised when the binding stopped, after OnStopBinding: Stream holds what
    // was downloaded into memory (empty for a download into a file), Result
    // is the stop result. Unassigned: nothing.
    std::function<void(TBSCB* Sender, TMemoryStream& Stream, HRESULT Result)> OnStreamComplete;
    // Raised for every failure, as it happens: ErrorCode is an HTTP status,
    // an HRESULT or a system error code, stError says what failed (for a
    // failed binding the binding's own words, such as a redirect loop or a
    // receive time-out; for the file, the step, the path and the system's
    // reason). Several reports may follow one cause; the first names it.
    // Time-outs of the wait loops are reported here too and stop nothing.
    // Unassigned: the failure still ends the download as described.
    std::function<void(int ErrorCode, const std::string& stError)> OnError;
    // Raised when the binding stopped, before OnError and OnStopBinding, with the
    // binding's own result: clsidProtocol, dwResult (an HRESULT, S_OK on success) and
    // szResult its text, stResult the component's text for dwResult. Changes have
    // no effect. Unassigned: nothing.
    std::function<void(
        TBSCB*& Sender, GUID& clsidProtocol, DWORD& dwResult, WideString& szResult, const std::string& stResult)>
        OnGetBindResults;
    // Raised each time the binding asks how to make its request (again after a
    // redirect): grfBINDF and pbindinfo come in filled from the component's settings
    // (verb, POST data or PUT file, extra info, code page); the handler's changes are
    // the request that is made. Unassigned: the settings decide.
    std::function<HRESULT(TBSCB* Sender, DWORD& grfBINDF, BINDINFO& pbindinfo)> OnGetBindInfo;
    // As OnGetBindInfo, with the second bind flags (grfBINDF2), raised before
    // OnGetBindInfo's filling; the component's BindF2 is what is used. The libcurl
    // binding asks the plain question only, so this is not raised.
    // Unassigned: the settings decide.
    std::function<HRESULT(TBSCB* Sender, DWORD& grfBINDF, BINDINFO& pbindinfo, DWORD& grfBINDF2)> OnGetBindInfoEx;
    // The binding asks for a client certificate (ppbCert, pcbCert its size).
    // The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: S_FALSE, no certificate.
    std::function<HRESULT(TBSCB*& Sender, std::vector<std::uint8_t>& ppbCert, DWORD& pcbCert)>
        OnGetSerializedClientCertContext;
    // The binding asks for the security id of the download's origin.
    // The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: E_NOTIMPL.
    std::function<HRESULT(std::vector<std::uint8_t>& SecurityIdBuffer, DWORD& pcbSecurityId)> OnGetRootSecurityId;
    // The binding asks for a window to own a dialog it wants to show (rguidReason
    // says why; phwnd out). The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: no window (S_OK).
    std::function<HRESULT(TBSCB* Sender, const GUID& rguidReason, void*& phwnd)> OnGetWindow;
    // Raised when the target file exists (for a name from outside: also a
    // symbolic link of that name): before the binding (aFileName is the full
    // path), as the request starts (the file name) and when the server's
    // name is taken. Action starts as FileExistsOption; the handler may
    // change it: feOverWrite replaces the file once the new one is complete
    // (a link named from outside is replaced, not written through), feSkip
    // refuses the download, feRename saves under NewFileName, which is the
    // caller's and used as given (empty: the current time text + "_" +
    // name). Unassigned: FileExistsOption decides, and feOverWrite keeps
    // both files for a name from outside (see FileExistsOption).
    std::function<void(TFileExistsOption& Action, const WideString& aFileName, WideString& NewFileName)> OnFileExists;
    // Raised for each status report of the binding (ulStatusCode, a BINDSTATUS_*
    // code; szStatusText its detail, such as the server address or the redirect
    // target). ulProgress and ulProgressMax are the bytes so far and expected (0
    // unknown), FileSize the expected size. The texts are filled for downloading
    // (5): Downloaded, ElapsedTime, Speed, RemainingTime and Percent (empty when
    // the size is unknown), and for the end of the download (6); otherwise they
    // are empty and Status is the code's text. Setting the component's Cancelled
    // aborts the binding at its next report. Unassigned: nothing.
    std::function<void(TBSCB* Sender, ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode, ULONG FileSize,
        const WideString& szStatusText, const std::string& Downloaded, const std::string& ElapsedTime,
        const std::string& Speed, const std::string& RemainingTime, const std::string& Status,
        const std::string& Percent)>
        OnProgress;
    // Asked for another interface of the callback (IID; Obj out). The component
    // answers its interfaces itself and never raises it. Unassigned: E_NOINTERFACE.
    std::function<HRESULT(const GUID& IID, void*& Obj)> OnQueryInterface;
    // The binding asks the callback for a service (guidService, riid; Obj out, the
    // service or left null). The libcurl binding never asks this question, so it is not raised;
    // it stays for callers that drive a TBSCB themselves. Unassigned: E_NOINTERFACE.
    std::function<void(TBSCB* Sender, const GUID& guidService, const GUID& riid, void*& Obj)> OnQueryService;
    // Raised before a redirect to DestUrl is followed (FromUrl: the address
    // the download started with), unless both are the same. Redirects go to
    // http and https addresses only and at most 20 times; beyond that the
    // download fails (INET_E_REDIRECT_FAILED) without this event. The file
    // keeps the name worked out before the redirect. AbortRedirect true
    // cancels the download (nothing saved). Unassigned: the redirect is
    // followed.
    std::function<void(TBSCB* Sender, bool& AbortRedirect, const std::string& FromUrl, const std::string& DestUrl)>
        OnRedirect;
    // Raised with the final HTTP answer (after redirects and authentication),
    // before its body: the status, the answer's and the request's headers.
    // The handler's result decides: a failure refuses the body (E_ABORT,
    // nothing saved), success takes it, whatever the status. Unassigned: an
    // answer of 400 or more, or one with a zero Content-Length, is reported
    // by OnError and refused.
    std::function<HRESULT(TBSCB* Sender, DWORD dwResponseCode, const WideString& szResponseHeaders,
        const WideString& szRequestHeaders, char16_t*& szAdditionalRequestHeaders)>
        OnResponse;
    // Raised when the target file already exists as the request starts: FileName is
    // the file's name; Action is not read. While a handler is assigned the request
    // asks only for the bytes after the existing file's size and appends them to
    // it, unless the existing-file rule decides otherwise: feOverWrite raises it a
    // second time and fetches the whole file, feRename fetches the whole file under
    // the new name, feSkip fetches nothing. Unassigned: nothing is continued.
    std::function<void(TBSCB* Sender, const std::string& FileName, DWORD& Action)> OnResume;
    // Raised when the server's certificate cannot be trusted: dwProblem is the
    // internet error code, Problem its text. S_OK or RPC_E_RETRY retries without the
    // check; any other result fails the download. Unassigned: the download fails
    // (S_FALSE), nothing is saved.
    std::function<HRESULT(TBSCB* Sender, DWORD dwProblem, const std::string& Problem)> OnSecurityProblem;
    // Raised once per binding when the answer's headers are in, after OnBeforeDownload:
    // pib is the running binding, FileName the name the file will get (empty for
    // dmStream), FileSize the Content-Length (0 unknown). Cancel true stops the
    // download (nothing saved). Unassigned: the download goes on.
    std::function<void(TBSCB* Sender, bool& Cancel, IBinding* pib, const WideString& FileName, int FileSize)>
        OnStartBinding;
    // Raised when the component's State changes: sBusy when a download starts, sReady
    // when it ended (also a refused one). Unassigned: nothing.
    std::function<void(TState State)> OnStateChange;
    // Raised last when a binding stopped, with the file name of the download
    // (saved or not). bCancel has no effect: the binding is over. Unassigned:
    // nothing.
    std::function<void(TBSCB* Sender, int ThreadId, const WideString& aFileName, bool& bCancel)> OnTerminate;
    // Raised once when the binding stopped, after the file was saved or
    // dropped. hresult is the download's result: S_OK only when everything
    // arrived and (into a file) the file is saved under its own name; a
    // failure otherwise (the binding's result, E_ABORT when cancelled or
    // refused, the file error when saving failed, INET_E_CONNECTION_TIMEOUT
    // when no data came for TimeOut ms although the file may be complete).
    // szError is the binding's own text of the failure. Unassigned: nothing.
    std::function<void(TBSCB* Sender, HRESULT hresult, const WideString& szError)> OnStopBinding;

private:
    friend class TBSCB;

    void ResetState();
    bool PrepareDownload(const std::string& address, const std::string& fileName, const std::string& folder);
    std::string CheckProtocol(const std::string& address) const;
    std::string PrepareFolder(const std::string& folder);
    // The file name an address names (its query when that has a dot, else
    // its document), reduced to one safe name; empty when it names none.
    std::string GetFileNameFromUrl(const std::string& address);
    // A file name from the server or the address as one safe name inside the
    // download folder, without leading dots (DefaultUrlFileName when nothing
    // is left of it); an empty name stays empty.
    std::string NameFromOutside(const std::string& name) const;
    // Whether name is in use in folder ("?" as "_"). For a name from outside
    // a symbolic link counts, also one that leads nowhere.
    bool NameTaken(const std::string& folder, const std::string& name) const;
    // The existing-file rule keeps both files: a name from outside meets
    // feOverWrite that no OnFileExists handler chose.
    bool KeepsBoth(TFileExistsOption option) const;
    // "name (2).ext", "name (3).ext"...: the first one free in folder, within
    // the file system's name limit.
    std::string FreeName(const std::string& folder, const std::string& name) const;
    void DoComplete();
    void UpdateFlags();
    void SetState(TState state);
    void ReportError(int code, const std::string& text);

    std::string about_ = "TIEDownload - downloads web addresses into files or memory";
    TBindFSet bindF_{
        TBindF::Asynchronous, TBindF::AsyncStorage, TBindF::GetNewestVersion, TBindF::NoWriteCache, TBindF::PullData};
    TBindF2Set bindF2_{TBindF2::ReadDataOver4GB};
    TBindInfoFSet bindInfoF_;
    TBindVerb bindVerb_ = TBindVerb::Get;
    TBindInfoOptionSet bindInfoOptions_{TBindInfoOption::UseBindInfoOptions, TBindInfoOption::AllowConnectMessages};
    TCodePageOption codePage_ = TCodePageOption::Ansi;
    std::string defaultProtocol_ = "http://";
    DWORD bindFValue_ = 0;
    DWORD bindF2Value_ = 0;
    DWORD bindInfoFValue_ = 0;
    DWORD bindInfoOptionsValue_ = 0;
    DWORD bindVerbValue_ = 0;
    DWORD codePageValue_ = 0;

    std::chrono::steady_clock::time_point startTick_;
    std::chrono::steady_clock::time_point lastActivity_;
    TBSCB* callback_ = nullptr;
    // The caller named the file: no name from the answer replaces it, and it
    // is written through links.
    bool fileNameGiven_ = false;
    TWaitEvent* downloadEvent_ = nullptr;
    std::unique_ptr<TBSCBList> bscbList_;
    char savedTimeSeparator_;
};

// The published component.
class TIEDownload : public TCustomIEDownload {};
