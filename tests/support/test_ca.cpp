#include "test_ca.h"

#include <cstdlib>
#include <fstream>

namespace tv {
namespace {

// One shell script: the folder is the test's own temp folder.
constexpr const char* kScript = R"(set -e
cd "$1"
ec="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
cat > ca.cnf <<'CNF'
[ ca ]
default_ca = test
[ test ]
dir = .
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[ any ]
commonName = supplied
CNF
for ca in ca other-ca; do
  openssl req -x509 $ec -keyout $ca.key -out $ca.crt -days 3650 -subj "/CN=Tarvolo test $ca" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
done
: > index.txt
echo 01 > serial
leaf() {  # name ca san start end
  openssl req $ec -keyout $1.key -out $1.csr -subj "/CN=$1" -addext "subjectAltName=$3" 2>/dev/null
  openssl ca -batch -notext -config ca.cnf -cert $2.crt -keyfile $2.key -in $1.csr -out $1.crt \
    -startdate $4 -enddate $5 2>/dev/null
}
leaf good ca "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20991231000000Z
leaf wrong-name ca "DNS:other.example" 20200101000000Z 20991231000000Z
leaf expired ca "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20200201000000Z
leaf stranger other-ca "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20991231000000Z
)";

}  // namespace

TestCa::TestCa(const std::string& dir) : dir_(dir) {
  const std::string script = dir_ + "/make-certificates.sh";
  std::ofstream(script) << kScript;
  const std::string command = "sh '" + script + "' '" + dir_ + "'";
  if (std::system(command.c_str()) != 0) error_ = "openssl could not make the certificates";
}

}  // namespace tv
