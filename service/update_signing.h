#pragma once
// Signing of the update files the service offers: an Ed25519 key pair
// (libsodium) and a detached signature beside each file, PROGRAM.sig, that
// the client checks against the public key built into it.
//
//   tarvolo-service gen-update-key FILE   FILE: the secret key (hex, mode
//                                         0600); FILE.pub and standard
//                                         output: the public key (hex), the
//                                         value of the client's build option
//                                         TARVOLO_UPDATE_PUBLIC_KEY
//   tarvolo-service sign-update --key FILE PROGRAM...
//                                         writes PROGRAM.sig (64 bytes)
#include <string>

namespace tv {

bool GenerateUpdateKey(const std::string& key_file, std::string* public_hex, std::string* error);
bool SignUpdate(const std::string& key_file, const std::string& program, std::string* error);

// Runs the subcommand named by argv[1] when it is one of the two above;
// returns its exit status, or -1 when argv[1] is none of them.
int RunUpdateSigningCommand(int argc, char** argv);

}  // namespace tv
