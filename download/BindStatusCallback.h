#pragma once
// TBSCB carries out one binding of a TCustomIEDownload: it creates the URL
// moniker and bind context, starts the transfer, waits for it while the
// thread's events flow, and turns every callback of the binding into the
// component's events and into the file or memory stream that receives the
// data. TInfoData is the snapshot of the component's settings one binding
// works on; TBSCBList lists the asynchronous bindings in progress.
#include "download/IEDownload.h"
#include "platform/files/SafeFile.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct TInfoData {
    std::vector<std::string> AdditionalHeader;
    DWORD BindF = 0;
    DWORD BindF2 = 0;
    DWORD BindInfoF = 0;
    DWORD BindVerb = 0;
    DWORD CodePage = 0;
    std::string CustomVerb;
    std::string Descriptor;
    bool InheritHandle = false;
    std::string DownloadFolder;
    std::string ExtraInfo;
    std::string FileName;
    std::string FileExtension;
    std::uint32_t FileSize = 0;
    std::string Host;
    std::string Password;
    std::string PostData;
    std::string PutFileName;
    int RangeBegin = 0;
    int RangeEnd = 0;
    int TimeOut = 0;
    WideString Url;
    std::string UserName;
    int BindingCount = 0;
    TCustomIEDownload* Owner = nullptr;
};

class TBSCBList {
public:
    std::vector<TBSCB*> Items; // bindings in progress, not owned
    std::vector<std::string> Urls; // every address prepared, in order
};

class TBSCB final : public IBindStatusCallback {
public:
    TBSCB(TCustomIEDownload* owner, IBindCtx* bindContext, IMoniker* moniker);
    ~TBSCB() override;

    // The binding sequence; returns when the binding stopped or the download
    // was cancelled (the binding is then stopped first).
    void Execute();

    // The binding status callback.
    HRESULT OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT GetPriority(LONG& priority) override;
    HRESULT OnLowResource(DWORD reserved) override;
    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const std::u16string& statusText) override;
    HRESULT OnStopBinding(HRESULT result, const std::u16string& error) override;
    HRESULT GetBindInfo(DWORD& bindF, BINDINFO& info) override;
    HRESULT GetBindInfoEx(DWORD& bindF, BINDINFO& info, DWORD& bindF2, DWORD& reserved);
    HRESULT OnDataAvailable(DWORD bscf, DWORD size, IStream* stream) override;
    HRESULT OnObjectAvailable() override;
    HRESULT BeginningTransaction(const std::u16string& url, const std::u16string& headers, DWORD reserved,
        char16_t** additionalHeaders) override;
    HRESULT OnResponse(DWORD responseCode, const std::u16string& responseHeaders, const std::u16string& requestHeaders,
        char16_t** additionalRequestHeaders) override;
    HRESULT Authenticate(void*& window, char16_t*& userName, char16_t*& password) override;
    HRESULT AuthenticateEx(void*& window, char16_t*& userName, char16_t*& password, const AUTHENTICATEINFO& info);
    HRESULT OnSecurityProblem(DWORD problem) override;
    // Questions the binding may ask; each raises its event when assigned.
    HRESULT GetWindow(const GUID& reason, void*& window);
    HRESULT OnCodeInstallProblem(
        ULONG statusCode, const WideString& destination, const WideString& source, DWORD reserved);
    HRESULT GetRootSecurityId(std::vector<std::uint8_t>& securityId, DWORD& size);
    HRESULT GetSerializedClientCertContext(std::vector<std::uint8_t>& certificate, DWORD& size);
    HRESULT PutProperty(DWORD kind, const WideString& value);
    HRESULT QueryService(const GUID& service, const GUID& iid, void*& object);

    // State of the binding.
    bool Redirected = false;
    bool TimedOut = false;
    TInfoData* Info() const { return info_.get(); }
    TMemoryStream& MemoryStream() { return memoryStream_; }
    // Called from the wait loops: sets TimedOut when no data came for
    // TimeOut ms since the request began or since the last data.
    void CheckTimer();

private:
    void LoadSettings();
    void InitBinding();
    void BindUrl();
    void EndEarly();
    void StopCancelledBinding();
    void UpdateFileInfo();
    std::string GetFilePath();
    std::string GetDefaultFileName(const std::string& address);
    // Takes the file name of a Content-Disposition answer (reduced to a safe
    // name) unless the caller named the file. When that name is new and its
    // file exists, the existing-file rule decides: the answer is its option
    // (feSkip: the download must not go on); feOverWrite otherwise.
    TFileExistsOption ParseContentDisposition();
    TFileExistsOption DecideOnExistingFile();
    bool QueryInfoNumber(DWORD item, DWORD& number);
    bool QueryInfoText(DWORD item, std::string& text);
    bool AbortIfCancelled();
    bool OpenTarget(bool append);
    bool SaveTarget();
    bool FileFailed(const char* step, std::string path);
    void ProgressTexts(ULONG progress, ULONG maximum, std::string& downloaded, std::string& elapsed, std::string& speed,
        std::string& remaining, std::string& percent);
    void Error(int code, const std::string& text);

    TCustomIEDownload* owner_;
    IBindCtx* givenContext_;
    IMoniker* givenMoniker_;
    std::unique_ptr<IBindCtx> bindContext_;
    std::unique_ptr<IMoniker> moniker_;
    std::unique_ptr<TInfoData> info_;
    IBinding* binding_ = nullptr;
    TWaitEvent bindingEvent_;
    TMemoryStream memoryStream_;
    std::vector<char> buffer_;
    std::uint64_t bytesRead_ = 0;
    std::unique_ptr<SafeFileWriter> target_;
    HRESULT fileFailure_ = S_OK;
    std::string fileFailureText_; // the first failure of writing the file
    bool answered_ = false; // an HTTP answer came (OnResponse opened the target)
    bool timerEnabled_ = false;
    std::chrono::steady_clock::time_point timerStart_;
    std::chrono::steady_clock::time_point startCounter_;
    bool registered_ = false;
};
