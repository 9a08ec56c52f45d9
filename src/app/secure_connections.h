#pragma once
// TLS connections to the service as the client and tarvolo-cli make them:
// the extra CA file of the settings ("TlsCaFiletavrelomin") trusted beside
// the system's store, and a connection that fails its verification told to
// the member, naming the host and the reason, once per host and reason in a
// run (the feed asks again every few seconds). Call once at start-up, after
// the application object exists.
namespace tv {

void ConfigureSecureConnections();

}  // namespace tv
