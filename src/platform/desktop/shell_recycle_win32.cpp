#include "platform/desktop/shell_recycle_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/desktop/deletion_watch_win32.h"
#include "platform/desktop/shell_result_win32.h"

namespace platform {
namespace {
constexpr DWORD silent_undo = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;

template <typename T>
void release(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// COM is set up on each thread that asks the shell, once, and taken down
// again as the thread ends.
class thread_com {
 public:
  thread_com() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~thread_com() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  thread_com(const thread_com&) = delete;
  thread_com& operator=(const thread_com&) = delete;
  bool ready() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};
}  // namespace

bool com_ready() {
  thread_local const thread_com com;
  return com.ready();
}

shell_report recycle_with_report(const std::wstring& path) {
  shell_report report;
  if (!com_ready()) return report;
  IFileOperation* operation = nullptr;
  IShellItem* item = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                              reinterpret_cast<void**>(&operation))))
    return report;
  deletion_watch* watch = deletion_watch::make();
  // A shell that cannot take the flags or the item has done nothing yet.
  // Where the bin cannot take the file, the shell would delete it for good
  // without asking: told to recycle on delete, it asks the watch first.
  if (SUCCEEDED(operation->SetOperationFlags(silent_undo | FOFX_RECYCLEONDELETE)) &&
      SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&item))) &&
      SUCCEEDED(operation->DeleteItem(item, watch))) {
    const HRESULT performed = operation->PerformOperations();
    BOOL aborted = FALSE;
    const bool any_aborted = SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted != FALSE;
    report = watch->report();
    report.aborted = any_aborted;
    report.result = shell_result_of(performed);
    // A shell that takes the item but cannot carry it out has done nothing either.
    report.told = performed != E_NOTIMPL || report.declined || report.recycled || report.destroyed ||
                  report.item_result != 0;
  }
  release(watch);
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
