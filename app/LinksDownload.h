#pragma once
// The links checker's use of the download component, kept apart from the
// browser host's headers (both name a TProxySettings of their own).
#include <functional>
#include <string>

class TIEDownload;

// A download component as the main window's links checker sets it: a
// 60 s time-out, the old Internet Explorer user agent, the form header line,
// "http://" added to addresses without a scheme, "index.html" for addresses
// naming no file, asynchronous binding. onAnswer(status) is raised with each
// final HTTP answer (the body is then saved); onError(text) with each
// failure the component reports. Deleted with DeleteLinksDownload.
TIEDownload* NewLinksDownload(std::function<void(int)> onAnswer, std::function<void(const std::string&)> onError);
void DeleteLinksDownload(TIEDownload* download);
// Synchronous binding ({GetNewestVersion, NoWriteCache, PullData}) or the
// asynchronous default (with Asynchronous and AsyncStorage).
void SetLinksBindSynchronous(TIEDownload& download, bool synchronous);
// Fetches the address into folder; returns when the download has ended.
void FetchLink(TIEDownload& download, const std::string& address, const std::string& folder);
// Makes a running FetchLink return as soon as it can.
void CancelLink(TIEDownload& download);
