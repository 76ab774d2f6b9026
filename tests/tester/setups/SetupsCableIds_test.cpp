// Cable-id lists on the simulated tester.
#include "SetupsFixture.h"

using namespace Kestrix::Tester;
using kx::test::SetupsTest;

namespace {

CableIDList listOf(const std::string& name, std::vector<std::string> ids = {"A-001", "A-002", "B 7"}) {
    return CableIDList{name, std::move(ids)};
}

std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TEST_F(SetupsTest, ListWrittenUnderItsFlattenedNameReplacedDeletedAndNamedFromTheReply) {
    ASSERT_TRUE(tarvel->UpdateCableIDList(listOf("A/B")));
    expectUnlocked();
    EXPECT_EQ(pauses, std::vector<int>{500});
    EXPECT_EQ(text(kx::test::readHostFile(hostPath("/tmp/A_B.ids"))), "A-001\nA-002\nB 7\n");
    EXPECT_EQ(sent("smimportlabels").back(), "smimportlabels -r -f \"/tmp/A_B.ids\"");
    EXPECT_TRUE(exists("/microsd_userdata/cableids/A_B.ids"));
    const auto lists = tarvel->GetCableIDListFolders();
    ASSERT_TRUE(lists);
    EXPECT_EQ(*lists, std::vector<std::string>{"A_B"});
    EXPECT_TRUE(tarvel->DoesIDListExist(listOf("A_B")));
    EXPECT_FALSE(tarvel->DoesIDListExist(listOf("A/B")));  // the tester knows it by its file name
    EXPECT_FALSE(tarvel->DoesIDListExist(listOf("")));
    ASSERT_TRUE(tarvel->UpdateCableIDList(listOf("Floor 2")));
    ASSERT_TRUE(tarvel->UpdateCableIDList(listOf("Floor 2", {"C-1"})));  // -r replaces it
    EXPECT_EQ(text(kx::test::readHostFile(hostPath("/microsd_userdata/cableids/Floor 2.ids"))), "C-1\n");
    EXPECT_TRUE(tarvel->DeleteCableIdList("Floor 2"));
    EXPECT_EQ(sent("smrmlabels").back(), "smrmlabels -f \"Floor 2.ids\"");
    EXPECT_FALSE(exists("/microsd_userdata/cableids/Floor 2.ids"));
    // Gone already: the tester says so, and the list is not there.
    EXPECT_TRUE(tarvel->DeleteCableIdList("Floor 2"));
    expectUnlocked();
    // List names as the tester replies them.
    const std::vector<std::pair<std::string, std::vector<std::string>>> replies{
        {"a.ids\nb.c.ids\nOK\n", {"a", "b.c"}}, {"OK\nx.ids\nOK\n", {"x"}}, {"a.ids.ids\n", {"a.ids"}},
        {"a.ids\n.ids\nb.ids\n", {"a"}},  // an empty name ends the scan
        {"a.ids\nnot a list\n", {"a"}},
    };
    for (const auto& [reply, names] : replies) {
        sim->setReply("smgetlf", reply);
        const auto got = tarvel->GetCableIDListFolders();
        ASSERT_TRUE(got) << reply;
        EXPECT_EQ(*got, names) << reply;
    }
    sim->setReply("smgetlf", "OK\n");
    EXPECT_FALSE(tarvel->GetCableIDListFolders());
    ASSERT_TRUE(tarvel->cableIdListNames());
    EXPECT_TRUE(tarvel->cableIdListNames()->empty());
}

TEST_F(SetupsTest, ListFailuresAndTheirFallbacks) {
    kx::test::LogCapture log;
    // The tester refuses the list, and has none of that name.
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("Long", {std::string(61, 'x')})));
    EXPECT_TRUE(log.has("Failed to write cable ids"));
    expectUnlocked();
    // Refused while a list of that name is there: the tester kept the old one, so the new one was not taken.
    ASSERT_TRUE(tarvel->UpdateCableIDList(listOf("Kept")));
    setFault([](auto& f) { f.failCommand = "smimportlabels"; });
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("Kept", {"C-9"})));
    auto push = tarvel->pushCableIdList(listOf("Kept", {"C-9"}));
    EXPECT_EQ(push.result, CableIdPush::Result::Refused);
    EXPECT_EQ(push.reply, "OP_FAILED");
    EXPECT_EQ(text(kx::test::readHostFile(hostPath("/microsd_userdata/cableids/Kept.ids"))), "A-001\nA-002\nB 7\n");
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("New")));
    setFault([](auto& f) { f.failCommand.clear(); });
    // A refusal that holds the letters "OK" is a refusal.
    const std::string line = "smimportlabels -r -f \"/tmp/Kept.ids\"";
    for (const char* reply : {"TOKEN_EXPIRED\n", "OK?\n", "NOT OK\n"}) {
        sim->setReply(line, reply);
        EXPECT_EQ(tarvel->pushCableIdList(listOf("Kept")).result, CableIdPush::Result::Refused) << reply;
    }
    sim->setReply(line, "OK \r\n");
    EXPECT_EQ(tarvel->pushCableIdList(listOf("Kept")).result, CableIdPush::Result::Done);
    sim->clearReply(line);
    // The reply is lost: whether the list was taken cannot be told, whatever lists are there.
    setFault([](auto& f) { f.noReplyTo = "smimportlabels"; });
    push = tarvel->pushCableIdList(listOf("Kept", {"C-9"}));
    EXPECT_EQ(push.result, CableIdPush::Result::Unconfirmed);
    EXPECT_TRUE(push.listExists);
    setFault([](auto& f) { f.noReplyTo = "smimportlabels"; });
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("Kept", {"C-9"})));
    expectUnlocked();
    // The upload breaks the connection.
    setFault([](auto& f) { f.dropAfterScpBytes = 2; });
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("New")));
    expectUnlocked();
    // Ids that would split into several lines, and lists without a name, are not sent.
    sim->clearJournal();
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("Evil", {"A-1\nB-2"})));
    EXPECT_FALSE(tarvel->UpdateCableIDList(listOf("", {"A-1"})));
    EXPECT_TRUE(sim->journal().empty());

    // Deleting: the tool fails but the list is gone -> true; still listed -> false.
    setFault([](auto& f) { f.failCommand = "smrmlabels"; });
    EXPECT_FALSE(tarvel->DeleteCableIdList("Kept"));
    EXPECT_TRUE(tarvel->DeleteCableIdList("Never there"));
    setFault([](auto& f) { f.failCommand.clear(); });
    sim->setReply("smrmlabels -f \"Kept.ids\"", "TOKEN_INVALID\n");
    EXPECT_FALSE(tarvel->DeleteCableIdList("Kept"));
    sim->clearReply("smrmlabels -f \"Kept.ids\"");
    // No reply at all proves nothing.
    setFault([](auto& f) { f.noReplyTo = "smrmlabels"; });
    EXPECT_FALSE(tarvel->DeleteCableIdList("Kept"));
    expectUnlocked();
    EXPECT_TRUE(tarvel->DoesIDListExist(listOf("Kept")));
}

TEST_F(SetupsTest, HostileListNamesReachTheTesterLiterally) {
    const std::vector<std::string> names{"$(touch x)", "q\"uote", "`id`", "bang!x", "-r", "it's", "..", "a;b"};
    for (const auto& name : names) ASSERT_TRUE(tarvel->UpdateCableIDList(listOf(name))) << name;
    auto listed = tarvel->GetCableIDListFolders();
    ASSERT_TRUE(listed);
    auto expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(*listed, expected);
    for (const auto& name : names) {
        EXPECT_TRUE(tarvel->DoesIDListExist(listOf(name))) << name;
        EXPECT_TRUE(tarvel->DeleteCableIdList(name)) << name;
    }
    EXPECT_FALSE(tarvel->GetCableIDListFolders());
    EXPECT_FALSE(exists("/x"));
    EXPECT_FALSE(exists("/tmp/x"));
    // A name that climbs out of the list folder removes nothing outside it.
    kx::test::writeBytes(hostPath("/microsd_userdata/keep.ids"), {'k'});
    tarvel->DeleteCableIdList("../keep");
    EXPECT_TRUE(exists("/microsd_userdata/keep.ids"));
    expectUnlocked();
}
