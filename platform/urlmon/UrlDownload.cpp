#include "platform/urlmon/UrlDownload.h"

#include "platform/files/SafeFile.h"

#include <vector>

namespace {

constexpr DWORD FirstHttpError = 400;

// Passes the binding's reports on to the caller's callback and writes the
// data into the target.
class FileWritingCallback : public IBindStatusCallback {
public:
    FileWritingCallback(const std::string& target, IBindStatusCallback* forward) : writer_(target), forward_(forward) {}

    HRESULT OnStartBinding(DWORD reserved, IBinding* binding) override
    {
        return forward_ ? forward_->OnStartBinding(reserved, binding) : S_OK;
    }
    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const std::u16string& statusText) override
    {
        return forward_ ? forward_->OnProgress(progress, progressMax, statusCode, statusText) : S_OK;
    }
    HRESULT OnResponse(DWORD responseCode, const std::u16string& responseHeaders, const std::u16string& requestHeaders,
        char16_t** additionalRequestHeaders) override
    {
        httpFailed_ = responseCode >= FirstHttpError;
        return httpFailed_ ? E_ABORT : S_OK;
    }
    HRESULT OnDataAvailable(DWORD bscf, DWORD size, IStream* stream) override
    {
        if (!opened_) {
            opened_ = true;
            writeFailed_ = !writer_.Open();
        }
        std::vector<char> buffer(64 * 1024);
        ULONG read = 0;
        while (stream && SUCCEEDED(stream->Read(buffer.data(), ULONG(buffer.size()), &read)) && read > 0)
            writeFailed_ = writeFailed_ || !writer_.Write(buffer.data(), read);
        return writeFailed_ ? E_ABORT : S_OK;
    }
    HRESULT OnStopBinding(HRESULT result, const std::u16string& error) override
    {
        return forward_ ? forward_->OnStopBinding(result, error) : S_OK;
    }

    HRESULT Finish(HRESULT bindResult)
    {
        if (httpFailed_)
            return INET_E_DOWNLOAD_FAILURE;
        if (writeFailed_)
            return E_FAIL;
        if (FAILED(bindResult))
            return bindResult;
        if (!opened_ && !writer_.Open()) // an empty answer is an empty file
            return E_FAIL;
        return writer_.Commit() ? S_OK : E_FAIL;
    }

private:
    SafeFileWriter writer_;
    IBindStatusCallback* forward_;
    bool opened_ = false;
    bool writeFailed_ = false;
    bool httpFailed_ = false;
};

} // namespace

HRESULT URLDownloadToFile(
    void*, const std::u16string& url, const std::u16string& fileName, DWORD, IBindStatusCallback* callback)
{
    if (url.empty() || fileName.empty())
        return E_INVALIDARG;
    std::unique_ptr<IMoniker> moniker;
    if (const HRESULT hr = CreateURLMonikerEx(nullptr, url, moniker, URL_MK_UNIFORM); FAILED(hr))
        return hr;
    FileWritingCallback writing(fromWide(fileName), callback);
    IBindCtx context(&writing);
    IStream* stream = nullptr;
    return writing.Finish(moniker->BindToStorage(&context, &stream));
}
