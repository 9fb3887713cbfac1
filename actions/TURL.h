#pragma once
// Opens a web, mail or other address with the desktop's handler (xdg-open).

#include "actions/ProcessLauncher.h"

#include <chrono>
#include <string>
#include <string_view>

namespace larkspur {

enum class TURLType { utFile, utFtp, utGopher, utHttp, utHttps, utMailto, utNews, utTelnet, utWais };

std::string_view urlPrefix(TURLType type);

class TURL {
public:
    explicit TURL(ProcessLauncher& launcher);

    const std::string& URL() const { return m_url; }
    void setURL(const std::string& url) { m_url = url; }
    TURLType URLType() const { return m_urlType; }
    void setURLType(TURLType type) { m_urlType = type; }

    // The address as handed to the desktop: prefix + URL.
    std::string fullAddress() const;
    // False for an empty URL or when the desktop could not open the address.
    bool OpenURL();

    // How long to wait for the opener's verdict; an opener still busy after it
    // is taken as having started the handler.
    void setOpenTimeout(std::chrono::milliseconds t) { m_openTimeout = t; }

private:
    ProcessLauncher& m_launcher;
    std::string m_url;
    TURLType m_urlType = TURLType::utHttp;
    std::chrono::milliseconds m_openTimeout{5000};
};

} // namespace larkspur
