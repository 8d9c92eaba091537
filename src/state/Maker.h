#pragma once

// Who makes the panel, as the error log's header and the about box show it.
namespace Maker {
inline constexpr const char* Name = "ZEB Routing Systems";
inline constexpr const char* Street = "4100 Harbour Road, Suite 12";
inline constexpr const char* City = "Port Vantrel, ME 04101";
inline constexpr const char* Telephone = "(207) 555-0142";
inline constexpr const char* Web = "www.zeb-routing.example";
} // namespace Maker
