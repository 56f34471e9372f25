#include "vxi11/PortMapperEntry.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <rpc/pmap_clnt.h>
#include <rpc/rpc.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace {

// Whether something listens on this machine's loopback port.
bool answersOnLoopback(unsigned short port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

// The port the port mapper holds for the program, 0 for none.
unsigned short enteredPort(uint32_t program, uint32_t version) {
    sockaddr_in mapper{};
    mapper.sin_family = AF_INET;
    mapper.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::pmap_getport(&mapper, program, version, IPPROTO_TCP);
}

}  // namespace

PortMapperEntry::PortMapperEntry(uint32_t program, uint32_t version, int port)
    : program_(program), version_(version) {
    const auto ours = static_cast<unsigned short>(port);
    if (::pmap_set(program, version, IPPROTO_TCP, ours) != 0) return;
    if (rpc_createerr.cf_stat != RPC_SUCCESS)
        throw std::runtime_error("no port mapper (rpcbind) answers" +
                                 std::string(::clnt_spcreateerror("")));
    // An entry left by a server that ended without withdrawing it is taken over.
    const unsigned short theirs = enteredPort(program, version);
    if (theirs == 0 || !answersOnLoopback(theirs)) {
        ::pmap_unset(program, version);
        if (::pmap_set(program, version, IPPROTO_TCP, ours) != 0) return;
    }
    throw std::runtime_error("the port mapper holds the entry of another server, on port " +
                             std::to_string(theirs));
}

PortMapperEntry::~PortMapperEntry() {
    ::pmap_unset(program_, version_);
}
