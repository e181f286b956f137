#pragma once
// Checks a list of addresses several at a time on the asynchronous URL
// binding (platform/urlmon), as zarn-links does: each address is asked for
// with GET, redirects are followed, and the body is never read (the binding
// is stopped as soon as the answer's headers are in). Runs on the calling
// thread, driving the bindings itself; used by one thread at a time.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct TLinkOutcome {
    std::string Entry; // the line as given
    bool Fetched = false; // false: a blank line or another scheme (not asked for)
    bool Answered = false; // an HTTP answer came
    int Status = 0; // its status (after redirects)
    std::string StatusText; // the tab's "Status" text (LinkCheck.h), "Error: ..." without an answer
    std::string ResultText; // the tab's "Result" text; empty without an answer
    std::string FinalUrl; // the address that answered (the last redirect's target)
    double Seconds = 0; // from the request until the answer or the failure
};

// Whether the outcome counts as broken (no answer, or 400 and above). A line
// that was not fetched is not broken.
bool OutcomeBroken(const TLinkOutcome& outcome);

// Checks every entry, at most jobs (1 or more) at a time, starting them in
// input order; each waits at most timeoutMs without a byte moving.
// progress(index) is raised as each outcome is complete. The outcomes come
// back in input order.
std::vector<TLinkOutcome> CheckLinkList(const std::vector<std::string>& entries, int jobs, int timeoutMs,
    const std::function<void(std::size_t)>& progress = {});
