#pragma once
// With TARVOLO_TEST_PUBLISH_INPUT naming a FIFO, end-to-end runs drive the publishing forms through lines written to it and
// read their progress as "TARVOLO publish-..." lines on standard output.
// Otherwise nothing is installed.
namespace tv {

class PublishAttachment;

// True when the driver was installed.
bool InstallPublishDriver(PublishAttachment& publishing);

}  // namespace tv
