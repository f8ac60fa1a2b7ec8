#include "rtlink/wsa_errors.h"

#include <gtest/gtest.h>

TEST(WsaErrorText, NumberBlankAndTheTextUsersKnow) {
    struct Case {
        std::int32_t code;
        const char* text;
    } cases[] = {
        {10004, "10004 Interrupted system call"},
        {10040, "10040 Messenger too long"},
        {10048, "10048 Address already in use"},
        {10058, "10058 Can't send numLines socket shutdown"},
        {10060, "10060 Connection timed out"},
        {10101, "10101 Graceful shutdown in progress"},
        {11004, "11004 No host data of that type was found"},
        {12345, "12345 Unknown errror code"},
        {0, "0 Unknown errror code"},
        {-1, "-1 Unknown errror code"},
    };
    for (const auto& c : cases) EXPECT_EQ(gf_wsaErrorText(c.code), c.text);
}

TEST(WsaErrorText, FortyNineCodesHaveATextOfTheirOwn) {
    int known = 0;
    for (std::int32_t code = 10000; code < 12000; ++code)
        known += gf_wsaErrorText(code).find("Unknown errror code") == std::string::npos;
    EXPECT_EQ(known, 49);
}
