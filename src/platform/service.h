#pragma once

namespace zemble::platform {

// One slot per platform service.  The program uses the real implementation
// (Service::real()); a test installs a double for as long as it needs it.
template <class Service> class ServiceSlot {
public:
    static Service& get() { return current_ ? *current_ : Service::real(); }
    static void install(Service* service) { current_ = service; }
    static bool overridden() { return current_ != nullptr; }

private:
    static inline Service* current_ = nullptr;
};

template <class Service> Service& use() {
    return ServiceSlot<Service>::get();
}

// Installs a double for the lifetime of the guard.
template <class Service> class ScopedService {
public:
    explicit ScopedService(Service* service)
        : previous_(ServiceSlot<Service>::overridden() ? &ServiceSlot<Service>::get() : nullptr) {
        ServiceSlot<Service>::install(service);
    }
    ~ScopedService() { ServiceSlot<Service>::install(previous_); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service* previous_;
};

} // namespace zemble::platform
