#include "vxi11/PortMapperEntry.h"

#include <rpc/pmap_clnt.h>
#include <rpc/rpc.h>

#include <stdexcept>
#include <string>

PortMapperEntry::PortMapperEntry(uint32_t program, uint32_t version, int port)
    : program_(program), version_(version) {
    if (::pmap_set(program, version, IPPROTO_TCP, static_cast<unsigned short>(port)) != 0) return;
    const std::string why = ::clnt_spcreateerror("");
    if (rpc_createerr.cf_stat == RPC_SUCCESS)
        throw std::runtime_error("the port mapper refused it: another server holds the entry");
    throw std::runtime_error("no port mapper (rpcbind) answers" + why);
}

PortMapperEntry::~PortMapperEntry() {
    ::pmap_unset(program_, version_);
}
