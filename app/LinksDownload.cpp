#include "app/LinksDownload.h"

#include "download/IEDownload.h"

TIEDownload* NewLinksDownload(std::function<void(int)> onAnswer, std::function<void(const std::string&)> onError)
{
    auto* download = new TIEDownload;
    download->TimeOut = 60000;
    download->UserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Win32)";
    download->AdditionalHeader = {"Content-Type: application/x-www-form-urlencoded"};
    download->SetDefaultProtocol("http://");
    download->DefaultUrlFileName = "index.html";
    download->OnResponse
        = [onAnswer = std::move(onAnswer)](TBSCB*, DWORD status, const WideString&, const WideString&, char16_t*&) {
              onAnswer(int(status));
              return S_OK;
          };
    download->OnError = [onError = std::move(onError)](int, const std::string& text) { onError(text); };
    SetLinksBindSynchronous(*download, false);
    return download;
}

void DeleteLinksDownload(TIEDownload* download) { delete download; }

void SetLinksBindSynchronous(TIEDownload& download, bool synchronous)
{
    if (synchronous)
        download.SetBindF({TBindF::GetNewestVersion, TBindF::NoWriteCache, TBindF::PullData});
    else
        download.SetBindF({TBindF::Asynchronous, TBindF::AsyncStorage, TBindF::GetNewestVersion, TBindF::NoWriteCache,
            TBindF::PullData});
}

void FetchLink(TIEDownload& download, const std::string& address, const std::string& folder)
{
    download.Download(address, {}, nullptr, nullptr, folder);
}

void CancelLink(TIEDownload& download) { download.Cancelled = true; }
