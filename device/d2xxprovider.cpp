#include "device/d2xxprovider.h"

#ifdef _WIN32
#include <windows.h>
#define ZAVO_D2XX_API WINAPI
#else
#include <dlfcn.h>
#define ZAVO_D2XX_API
#endif

namespace zavo {

// The library's entry points, bound once for the whole program.
struct D2xxProvider::Library {
    using ListDevicesFn = ft::Status(ZAVO_D2XX_API*)(void*, void*, ft::Dword);
    using CreateDeviceInfoListFn = ft::Status(ZAVO_D2XX_API*)(ft::Dword*);
    using GetDeviceInfoListFn = ft::Status(ZAVO_D2XX_API*)(ft::DeviceListInfoNode*, ft::Dword*);
    using OpenExFn = ft::Status(ZAVO_D2XX_API*)(void*, ft::Dword, ft::Handle*);
    using HandleFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle);
    using SetDataCharacteristicsFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, ft::Uchar, ft::Uchar, ft::Uchar);
    using SetBaudRateFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, ft::Dword);
    using SetFlowControlFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, ft::Ushort, ft::Uchar, ft::Uchar);
    using SetTimeoutsFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, ft::Dword, ft::Dword);
    using GetQueueStatusFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, ft::Dword*);
    using ReadFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, void*, ft::Dword, ft::Dword*);
    using WriteFn = ft::Status(ZAVO_D2XX_API*)(ft::Handle, const void*, ft::Dword, ft::Dword*);

    ListDevicesFn listDevices = nullptr;
    CreateDeviceInfoListFn createDeviceInfoList = nullptr;
    GetDeviceInfoListFn getDeviceInfoList = nullptr;
    OpenExFn openEx = nullptr;
    HandleFn close = nullptr;
    HandleFn resetDevice = nullptr;
    SetDataCharacteristicsFn setDataCharacteristics = nullptr;
    SetBaudRateFn setBaudRate = nullptr;
    SetFlowControlFn setFlowControl = nullptr;
    SetTimeoutsFn setTimeouts = nullptr;
    GetQueueStatusFn getQueueStatus = nullptr;
    ReadFn read = nullptr;
    WriteFn write = nullptr;

    bool loaded = false;
    QString reason;

    static const Library& instance() {
        static const Library library = load();
        return library;
    }

private:
#ifdef _WIN32
    using Module = HMODULE;
    static Module open(QString* error) {
        Module m = LoadLibraryA("ftd2xx.dll");
        if (!m)
            *error = QStringLiteral("ftd2xx.dll could not be loaded (error %1)").arg(GetLastError());
        return m;
    }
    static void* symbol(Module m, const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(m, name));
    }
#else
    using Module = void*;
    static Module open(QString* error) {
        for (const char* file : {"libftd2xx.so", "libftd2xx.so.1"}) {
            dlerror();
            if (Module m = dlopen(file, RTLD_NOW | RTLD_LOCAL))
                return m;
            if (error->isEmpty())
                *error = QString::fromLocal8Bit(dlerror());
        }
        return nullptr;
    }
    static void* symbol(Module m, const char* name) {
        return dlsym(m, name);
    }
#endif

    template <typename Fn>
    static bool bind(Module m, const char* name, Fn& fn, QString* missing) {
        fn = reinterpret_cast<Fn>(symbol(m, name));
        if (!fn && missing->isEmpty())
            *missing = QString::fromLatin1(name);
        return fn != nullptr;
    }

    static Library load() {
        Library lib;
        QString error;
        const Module m = open(&error);
        if (!m) {
            lib.reason = QStringLiteral("not available: %1").arg(error);
            return lib;
        }
        QString missing;
        bind(m, "FT_ListDevices", lib.listDevices, &missing);
        bind(m, "FT_CreateDeviceInfoList", lib.createDeviceInfoList, &missing);
        bind(m, "FT_GetDeviceInfoList", lib.getDeviceInfoList, &missing);
        bind(m, "FT_OpenEx", lib.openEx, &missing);
        bind(m, "FT_Close", lib.close, &missing);
        bind(m, "FT_ResetDevice", lib.resetDevice, &missing);
        bind(m, "FT_SetDataCharacteristics", lib.setDataCharacteristics, &missing);
        bind(m, "FT_SetBaudRate", lib.setBaudRate, &missing);
        bind(m, "FT_SetFlowControl", lib.setFlowControl, &missing);
        bind(m, "FT_SetTimeouts", lib.setTimeouts, &missing);
        bind(m, "FT_GetQueueStatus", lib.getQueueStatus, &missing);
        bind(m, "FT_Read", lib.read, &missing);
        bind(m, "FT_Write", lib.write, &missing);
        // The module stays loaded for the life of the program either way.
        if (!missing.isEmpty())
            lib.reason = QStringLiteral("not available: the library has no %1").arg(missing);
        else
            lib.loaded = true;
        return lib;
    }
};

bool D2xxProvider::available() {
    return Library::instance().loaded;
}

QString D2xxProvider::unavailableReason() {
    return Library::instance().reason;
}

std::unique_ptr<D2xxProvider> D2xxProvider::create() {
    if (!available())
        return nullptr;
    return std::unique_ptr<D2xxProvider>(new D2xxProvider(Library::instance()));
}

D2xxProvider::D2xxProvider(const Library& library) : lib_(library) {}

ft::Status D2xxProvider::ListDevices(void* arg1, void* arg2, ft::Dword flags) {
    return lib_.listDevices(arg1, arg2, flags);
}
ft::Status D2xxProvider::CreateDeviceInfoList(ft::Dword* numDevs) {
    return lib_.createDeviceInfoList(numDevs);
}
ft::Status D2xxProvider::GetDeviceInfoList(ft::DeviceListInfoNode* dest, ft::Dword* numDevs) {
    return lib_.getDeviceInfoList(dest, numDevs);
}
ft::Status D2xxProvider::OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) {
    return lib_.openEx(arg1, flags, handle);
}
ft::Status D2xxProvider::Close(ft::Handle handle) {
    return lib_.close(handle);
}
ft::Status D2xxProvider::ResetDevice(ft::Handle handle) {
    return lib_.resetDevice(handle);
}
ft::Status D2xxProvider::SetDataCharacteristics(ft::Handle handle, ft::Uchar wordLength, ft::Uchar stopBits,
                                                ft::Uchar parity) {
    return lib_.setDataCharacteristics(handle, wordLength, stopBits, parity);
}
ft::Status D2xxProvider::SetBaudRate(ft::Handle handle, ft::Dword baudRate) {
    return lib_.setBaudRate(handle, baudRate);
}
ft::Status D2xxProvider::SetFlowControl(ft::Handle handle, ft::Ushort flowControl, ft::Uchar xonChar,
                                        ft::Uchar xoffChar) {
    return lib_.setFlowControl(handle, flowControl, xonChar, xoffChar);
}
ft::Status D2xxProvider::SetTimeouts(ft::Handle handle, ft::Dword readTimeoutMs, ft::Dword writeTimeoutMs) {
    return lib_.setTimeouts(handle, readTimeoutMs, writeTimeoutMs);
}
ft::Status D2xxProvider::GetQueueStatus(ft::Handle handle, ft::Dword* rxBytes) {
    return lib_.getQueueStatus(handle, rxBytes);
}
ft::Status D2xxProvider::Read(ft::Handle handle, void* buffer, ft::Dword bytesToRead,
                              ft::Dword* bytesReturned) {
    return lib_.read(handle, buffer, bytesToRead, bytesReturned);
}
ft::Status D2xxProvider::Write(ft::Handle handle, const void* buffer, ft::Dword bytesToWrite,
                               ft::Dword* bytesWritten) {
    return lib_.write(handle, buffer, bytesToWrite, bytesWritten);
}

} // namespace zavo
