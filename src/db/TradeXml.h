#pragma once

// What the record sets of queries and quotes (parts and cars) share in their
// XML: the contact block, the marketplace of a detail page, the 30 known car
// options, and what a detail page needs to know of the window and the member.
// Nothing here needs a window: without one the market mode is 0 and no list
// allows an operation.

#include "RecordXml.h"

#include "app/Interfaces.h"
#include "net/XProfile.h"

#include <QString>

#include <array>

class XBaseSet;

namespace TradeXml {

// --- the window and the member --------------------------------------------------------
int MarketMode();   // 0 parts, 1 cars (0 without a window)
int PageSection();  // 2: the seller side is shown (0 without a window)
// Whether the list shown for `kind` allows "send a message" on its selection.
bool SendMessageEnabled(IRecordViews::ListKind kind);
// The signed-in member's profile; empty when no profile is loaded.
ProfileData Profile();
QString PassportId();
// The command line named a server, a database folder or features.
bool ContactFlag();
bool PaymentFeature();
// The server's web address (the request address without its last path part).
QString ServerWebAddress();

// --- marketplace of a detail page ---------------------------------------------------------
// "market_name" child and "market_image" attribute of `element`.
void AddMarketXml(XmlNode element, const QString &marketId, const QString &marketName);

// --- contact block ---------------------------------------------------------------------------
// "name" ... "signature" of a server "contact_info" into the C_ columns; the
// website through AddHttpPrefix when `websitePrefix`.
void ReadContact(XBaseSet &set, const XmlNode &contactInfo, bool websitePrefix);
// The outgoing contact: "id", "name", "phone", "mobile", "fax", "website",
// "street", "city", "state" (a blank when empty if `blankState`), "zip",
// "country", "company", and "signature" of the profile.
void WriteContact(const XBaseSet &set, XmlNode parent, bool blankState);
struct ContactLayout
{
    bool ratingLast = false;     // "rating" after "signature" (cars) instead of after "email"
    bool businessType = false;   // "business-type" before "signature"
};
// The detail page's contact fields; the e-mail address is never shown, only the word.
void WriteContactDetail(const XBaseSet &set, XmlNode fields, bool incoming, ContactLayout layout);

// --- known car options -------------------------------------------------------------------------
struct CarOption
{
    const char *key;
    const char *label;
};
const std::array<CarOption, 30> &KnownCarOptions();
// "options" with one "option" per known key found in `options`, then the free text.
XmlNode AddCarOptions(XmlNode parent, const QString &options, const QString &addOptions);

// "%s %s" of the engine size and its unit when the size is set, else empty.
QString EngineSizeText(const QString &size, const QString &unit);
// The model followed by a blank and the submodel when both are set; the model alone otherwise.
QString ModelText(const QString &model, const QString &submodel);
// A detail date plus `days` (the expiration of a record).
QString ExpirationText(const QDateTime &posted, int days, const char *format);

} // namespace TradeXml

namespace TradeXml {
// The "vehicle_info" of parts queries and quotes (the V_ columns): as the
// server sends it, as requests carry it, and as detail pages show it.
RecordXml::Table VehicleRead();
RecordXml::Table VehicleWrite();
RecordXml::Table VehicleDetail();
} // namespace TradeXml

namespace TradeXml {
// The detail page's head: "status", "status_code", "post_date" and
// "expiration_date" (POST_DATE + LIVE_TIME days, both in `dateFormat`),
// "comments", then the marketplace; and the "id" attribute.
void WriteDetailHead(const XBaseSet &set, XmlNode root, const char *dateFormat);
} // namespace TradeXml
