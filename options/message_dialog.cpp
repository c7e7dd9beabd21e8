#include "options/message_dialog.h"

const MessageDialog kBadCoordinateFormat = {
    "Bad Coordinate Format",
    {"BAD COORDINATE FORMAT", "Please use either degrees minutes and seconds (e.g. \"-23 30 00\")",
     "or degrees decimal (e.g. \"-23.50\")"}};

const MessageDialog kBadLatitudeRange = {
    "Bad Latitude Range", {"Latitude Out Of Range", "Latitudes should fall within +/- 90 degrees"}};

const MessageDialog kBadLongitudeRange = {
    "Bad Longitude Range",
    {"Longitude Out Of Range", "Longitudes should fall within +/- 180 degrees"}};

const MessageDialog kBadLambertParallels = {
    "Bad Lambert Parallels",
    {"Bad Lambert Parallels", "Lambert parallels cannot be equal to each other,",
     "or signed opposites of each other (e.g. 10 N and 10 S)"}};
