#pragma once

#include <QString>

namespace zemble {

// Where a message goes out: through the operator's web SMS site (driven as
// a browser would) or through an SMS gateway (Kannel's sendsms interface).
enum class SendRoute { OperatorSite, KannelGateway };

inline constexpr auto kRouteOperatorSetting = "operator";
inline constexpr auto kRouteKannelSetting = "kannel";

// The route stored in the settings; anything but "kannel" is the operator's
// site, so profiles written before there was a choice read as before.
inline SendRoute sendRouteFromSetting(const QString& stored) {
    return stored == QLatin1String(kRouteKannelSetting) ? SendRoute::KannelGateway
                                                        : SendRoute::OperatorSite;
}

inline QString sendRouteSetting(SendRoute route) {
    return QLatin1String(route == SendRoute::KannelGateway ? kRouteKannelSetting
                                                           : kRouteOperatorSetting);
}

} // namespace zemble
