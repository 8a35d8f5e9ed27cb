#pragma once
// Whether the system hands URLs of the store's scheme ("macappstore") to an application.

namespace zembra::platform {

bool storeSchemeHandled();

} // namespace zembra::platform
