#include "announce/ServiceAnnouncement.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

// The client and its entry group live on avahi's own thread; the callbacks run there.
struct ServiceAnnouncement::Avahi {
    std::string name;
    std::vector<Service> services;
    AvahiThreadedPoll* poll = nullptr;
    AvahiClient* client = nullptr;
    AvahiEntryGroup* group = nullptr;

    static void said(const char* what, int error) {
        std::fprintf(stderr, "xt4830ctl: not announced on the network: %s: %s\n", what,
                     ::avahi_strerror(error));
    }

    static void onClient(AvahiClient* client, AvahiClientState state, void* self) {
        auto& avahi = *static_cast<Avahi*>(self);
        if (state == AVAHI_CLIENT_S_RUNNING) avahi.publish(client);
        if (state == AVAHI_CLIENT_FAILURE) said("avahi-daemon", ::avahi_client_errno(client));
    }

    static void onGroup(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self) {
        auto& avahi = *static_cast<Avahi*>(self);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            char* other = ::avahi_alternative_service_name(avahi.name.c_str());
            avahi.name = other;
            ::avahi_free(other);
            ::avahi_entry_group_reset(group);
            avahi.add(group);
        }
        if (state == AVAHI_ENTRY_GROUP_FAILURE)
            said("the entry group", ::avahi_client_errno(::avahi_entry_group_get_client(group)));
    }

    void publish(AvahiClient* on) {
        if (group == nullptr) group = ::avahi_entry_group_new(on, onGroup, this);
        if (group == nullptr) {
            said("a new entry group", ::avahi_client_errno(on));
            return;
        }
        if (::avahi_entry_group_is_empty(group) != 0) add(group);
    }

    void add(AvahiEntryGroup* into) {
        for (const Service& service : services) {
            const int error = ::avahi_entry_group_add_service(
                into, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.c_str(),
                service.type.c_str(), nullptr, nullptr, static_cast<uint16_t>(service.port),
                nullptr);
            if (error < 0) return said(service.type.c_str(), error);
        }
        if (const int error = ::avahi_entry_group_commit(into); error < 0)
            said("the services", error);
    }
};

ServiceAnnouncement::ServiceAnnouncement(const std::string& name, std::vector<Service> services)
    : avahi_(std::make_unique<Avahi>()) {
    avahi_->name = name.substr(0, kLongestName);
    avahi_->services = std::move(services);
    avahi_->poll = ::avahi_threaded_poll_new();
    if (avahi_->poll == nullptr) throw std::runtime_error("avahi: out of memory");
    int error = 0;
    avahi_->client = ::avahi_client_new(::avahi_threaded_poll_get(avahi_->poll),
                                        AvahiClientFlags(0), Avahi::onClient, avahi_.get(), &error);
    if (avahi_->client == nullptr) {
        ::avahi_threaded_poll_free(avahi_->poll);
        throw std::runtime_error(std::string("avahi-daemon: ") + ::avahi_strerror(error));
    }
    ::avahi_threaded_poll_start(avahi_->poll);
}

ServiceAnnouncement::~ServiceAnnouncement() {
    ::avahi_threaded_poll_stop(avahi_->poll);
    ::avahi_client_free(avahi_->client);  // with its entry group: the services are withdrawn
    ::avahi_threaded_poll_free(avahi_->poll);
}
