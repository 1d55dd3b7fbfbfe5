#include "platform/win32/process_list.h"

#include "platform/win32/windows_inc.h"

#include "platform/win32/com.h"
#include "platform/win32/utf.h"

namespace morvane::win32 {

namespace {

// Calls a method or reads a property by name (late binding). `args` are in
// the order the callee declares them.
HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount,
               VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{args, nullptr, argCount, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                          nullptr);
}

// The object a VARIANT holds, as IDispatch (VT_DISPATCH, or VT_UNKNOWN that
// answers for IDispatch).
bool TakeDispatch(VARIANT* value, ComPtr<IDispatch>& out) {
    if (V_VT(value) == VT_DISPATCH && V_DISPATCH(value)) {
        return SUCCEEDED(V_DISPATCH(value)->QueryInterface(IID_IDispatch, out.PutVoid()));
    }
    if (V_VT(value) == VT_UNKNOWN && V_UNKNOWN(value)) {
        return SUCCEEDED(V_UNKNOWN(value)->QueryInterface(IID_IDispatch, out.PutVoid()));
    }
    return false;
}

// The collection's enumerator, through its _NewEnum member.
bool Enumerator(IDispatch* collection, ComPtr<IEnumVARIANT>& out) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant value;
    HRESULT hr = collection->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, value.Put(),
                                    nullptr, nullptr);
    if (FAILED(hr)) return false;
    IUnknown* unknown = nullptr;
    if (V_VT(value.Get()) == VT_UNKNOWN) unknown = V_UNKNOWN(value.Get());
    if (V_VT(value.Get()) == VT_DISPATCH) unknown = V_DISPATCH(value.Get());
    if (!unknown) return false;
    return SUCCEEDED(unknown->QueryInterface(IID_IEnumVARIANT, out.PutVoid()));
}

// One instance's Description as text; nothing when it cannot be read. The
// property is read the way automation clients read one (method or property
// get together): Wine's scripting objects answer E_NOTIMPL to a bare
// property get.
std::optional<std::string> Description(IDispatch* instance) {
    Variant value;
    if (FAILED(Invoke(instance, L"Description", DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0,
                      value.Put())))
        return std::nullopt;
    if (V_VT(value.Get()) != VT_BSTR &&
        FAILED(VariantChangeType(value.Get(), value.Get(), 0, VT_BSTR)))
        return std::nullopt;
    const BSTR text = V_BSTR(value.Get());
    return WideToUtf8(text ? text : L"", text ? static_cast<int>(SysStringLen(text)) : 0);
}

}  // namespace

std::optional<std::vector<std::string>> RunningProcessNames() {
    ComPtr<IDispatch> service;
    if (FAILED(CoGetObject(L"WinMgmts:", nullptr, IID_IDispatch, service.PutVoid())) || !service)
        return std::nullopt;

    ComPtr<IDispatch> collection;
    {
        Bstr className(L"Win32_Process");
        Variant argument;
        V_VT(argument.Get()) = VT_BSTR;
        V_BSTR(argument.Get()) = className.Get();
        Variant result;
        const HRESULT hr =
            Invoke(service.Get(), L"instancesOf", DISPATCH_METHOD, argument.Get(), 1, result.Put());
        V_VT(argument.Get()) = VT_EMPTY;  // the BSTR belongs to className
        if (FAILED(hr) || !TakeDispatch(result.Get(), collection)) return std::nullopt;
    }

    ComPtr<IEnumVARIANT> items;
    if (!Enumerator(collection.Get(), items)) return std::nullopt;

    std::vector<std::string> descriptions;
    for (;;) {
        Variant item;
        ULONG fetched = 0;
        const HRESULT hr = items->Next(1, item.Put(), &fetched);
        if (hr != S_OK || fetched != 1) break;
        ComPtr<IDispatch> instance;
        if (!TakeDispatch(item.Get(), instance)) break;
        std::optional<std::string> description = Description(instance.Get());
        if (!description) break;
        descriptions.push_back(std::move(*description));
    }
    return descriptions;
}

}  // namespace morvane::win32
