#pragma once
// With TARVOLO_TEST_HOOKS set, the end-to-end runs drive the feed through
// lines on standard input and read its progress as "TARVOLO feed-..." lines on
// standard output. Without it nothing is installed.
namespace tv {

class DetailAttachment;
class FeedAttachment;

// True when the hooks were installed.
bool InstallFeedTestHooks(FeedAttachment& feed, DetailAttachment& detail);

}  // namespace tv
