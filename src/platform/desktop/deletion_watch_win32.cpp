#include "platform/desktop/deletion_watch_win32.h"

#include "platform/desktop/shell_result_win32.h"

namespace platform {
HRESULT STDMETHODCALLTYPE deletion_watch::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
    *object = static_cast<IFileOperationProgressSink*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE deletion_watch::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG STDMETHODCALLTYPE deletion_watch::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE deletion_watch::PreDeleteItem(DWORD flags, IShellItem*) {
  // Without this flag the shell deletes the item for good.
  if ((flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) != 0) return S_OK;
  report_.declined = true;
  return E_ABORT;
}

HRESULT STDMETHODCALLTYPE deletion_watch::PostDeleteItem(DWORD, IShellItem*, HRESULT result, IShellItem* in_bin) {
  if (SUCCEEDED(result))
    (in_bin != nullptr ? report_.recycled : report_.destroyed) = true;
  else
    report_.item_result = shell_result_of(result);  // the operation's own result is only 1223 without a dialog
  return S_OK;
}
}  // namespace platform
