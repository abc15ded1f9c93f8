#include "platform/desktop/shell_recycle_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/desktop/shell_result_win32.h"

namespace platform {
namespace {
constexpr DWORD silent_undo = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;

// Watches the one item of an operation: stops a deletion for good before it
// starts, and records where the file went.
class deletion_watch : public IFileOperationProgressSink {
 public:
  explicit deletion_watch(shell_report& report) : report_(report) {}
  virtual ~deletion_watch() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
      *object = static_cast<IFileOperationProgressSink*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the caller's stack, for the length of the operation.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
    // Without this flag the shell deletes the item for good.
    if ((flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) != 0) return S_OK;
    report_.declined = true;
    return E_ABORT;
  }
  HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT result, IShellItem* in_bin) override {
    if (SUCCEEDED(result)) (in_bin != nullptr ? report_.recycled : report_.destroyed) = true;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }

 private:
  shell_report& report_;
};

template <typename T>
void release(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// COM stays set up on the thread that removes for the rest of the process.
bool com_ready() {
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  return SUCCEEDED(com) || com == RPC_E_CHANGED_MODE;
}
}  // namespace

shell_report recycle_with_report(const std::wstring& path) {
  shell_report report;
  if (!com_ready()) return report;
  IFileOperation* operation = nullptr;
  IShellItem* item = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                              reinterpret_cast<void**>(&operation))))
    return report;
  deletion_watch watch(report);
  // A shell that cannot take the flags or the item has done nothing yet.
  if (SUCCEEDED(operation->SetOperationFlags(silent_undo)) &&
      SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&item))) &&
      SUCCEEDED(operation->DeleteItem(item, &watch))) {
    const HRESULT performed = operation->PerformOperations();
    BOOL aborted = FALSE;
    report.aborted = SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted != FALSE;
    report.result = shell_result_of(performed);
    // A shell that takes the item but cannot carry it out has done nothing either.
    report.told = performed != E_NOTIMPL || report.declined || report.recycled || report.destroyed;
  }
  release(item);
  release(operation);
  return report;
}

shell_report recycle_with_result(const std::wstring& path) {
  std::wstring list = path;
  list.push_back(L'\0');  // with the string's own, the two that end the list
  SHFILEOPSTRUCTW op;
  ZeroMemory(&op, sizeof op);
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.pTo = nullptr;
  // ALLOWUNDO sends the file to the recycle bin; the rest keep every dialog away.
  op.fFlags = silent_undo;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = nullptr;
  shell_report report;
  report.result = SHFileOperationW(&op);
  report.aborted = op.fAnyOperationsAborted != FALSE;
  return report;
}
}  // namespace platform
