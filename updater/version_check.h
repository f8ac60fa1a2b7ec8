// What the start-up asks of the updater: the version check against the
// download site's version list, with the downloads of newer data sets and
// of a newer program version.
#pragma once

// Downloads the version list, fetches newer data sets (saving their
// versions) and a newer program version. False when the run must end
// because a new program version was fetched; it has then requested the stop
// with NEW VERSION unless a stop was requested before. True otherwise.
bool gf_checkVersions();
