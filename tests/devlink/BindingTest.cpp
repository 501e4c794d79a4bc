// Binding report variables and device links to the interfaces the agent
// opens, and the agent's numbering and events as interfaces come and go.

#include <gtest/gtest.h>

#include "devlink/AppError.h"
#include "devlink/DeviceLinks.h"
#include "devlink/TLS.h"
#include "tests/support/ScriptedBus.h"
#include "virtualboard/BoardDescriptor.h"

using devlink::TLS;
using testing_support::MakeScriptedAgent;

namespace {

// Vendor page, one 4-byte input of usage 3: a board interface that carries
// neither of the link's variables.
const std::vector<uint8_t> kOtherVendorInterface = {0x06, 0x00, 0xFF, 0x09, 0x03, 0xA1, 0x01, 0x75,
                                                    0x08, 0x95, 0x04, 0x09, 0x03, 0x81, 0x02, 0xC0};

constexpr uint16_t kVid = devlink::kBoardVID, kPid = devlink::kBoardPID;

TEST(Binding, BoardInterfaceBindsBothVariables) {
  auto s = MakeScriptedAgent();
  s.bus->Add("a", kVid, kPid, virtualboard::BoardReportDescriptor());
  ASSERT_TRUE(s.agent->FindDevices());
  TLS link;
  EXPECT_EQ(link.DeviceIdentity(), 0);
  EXPECT_EQ(link.BindVars(s.agent.get()), 0);
  EXPECT_EQ(link.DeviceIdentity(), 1);
  EXPECT_EQ(link.VariableCount(), 2);
  EXPECT_EQ(link.UnboundVarCount(), 0);
  EXPECT_FALSE(link.IsAllUnbound());
  const auto& cmd = link.CommandVar();
  EXPECT_EQ(cmd.VarName, "LS_Command'");
  EXPECT_EQ(cmd.SizeInBits, 1028 * 8);
  EXPECT_EQ(cmd.LogicalMaximum, 255);
  EXPECT_FALSE(cmd.BitsNotBuffer);  // buffered bytes
  EXPECT_FALSE(cmd.ArrayNotVariable);
  EXPECT_TRUE(cmd.AbsoluteNotRelative);
  EXPECT_EQ(cmd.ScaleMode(), devlink::smUnscaledOnly);
  EXPECT_EQ(link.ResponseVar().SizeInBits, 16);
  EXPECT_GE(link.OutputReportIndex(), 0);
  EXPECT_GE(link.InputReportIndex(), 0);
  EXPECT_NE(link.OutputReportIndex(), link.InputReportIndex());
  EXPECT_EQ(cmd.HidHandle, s.agent->CurrentHandle());
}

TEST(Binding, ClassDebugIDsComeFromOneCounter) {
  TLS a;
  TLS b;
  // Each link creates its two variables after itself.
  EXPECT_EQ(a.CommandVar().ClassDebugID, a.ClassDebugID + 1);
  EXPECT_EQ(a.ResponseVar().ClassDebugID, a.ClassDebugID + 2);
  EXPECT_EQ(b.ClassDebugID, a.ClassDebugID + 3);
}

TEST(Binding, ForeignDeviceIsRefused) {
  auto s = MakeScriptedAgent();
  s.agent->SearchOnPID = false;  // let the agent open it
  auto& dev = s.bus->Add("x", kVid, 0x1234, virtualboard::BoardReportDescriptor());
  ASSERT_TRUE(s.agent->FindDevices());
  TLS link;
  EXPECT_EQ(link.BindVars(s.agent.get()), -1);
  EXPECT_FALSE(link.CommandVar().IsBound());
  EXPECT_FALSE(link.Reset());  // no report index: nothing reaches the device
  EXPECT_TRUE(dev.written.empty());
}

TEST(Binding, InterfaceWithNeitherVariable) {
  auto s = MakeScriptedAgent();
  s.bus->Add("x", kVid, kPid, kOtherVendorInterface);
  ASSERT_TRUE(s.agent->FindDevices());
  TLS link;
  EXPECT_EQ(link.BindVars(s.agent.get()), 2);
  EXPECT_EQ(link.DeviceIdentity(), 0);
  EXPECT_EQ(link.VariableCount(), 0);
  EXPECT_EQ(link.UnboundVarCount(), 0);
}

TEST(Binding, UnBindKeepsTheHandle) {
  auto s = MakeScriptedAgent();
  s.bus->Add("a", kVid, kPid, virtualboard::BoardReportDescriptor());
  s.agent->FindDevices();
  s.agent->SelectInterface(0);
  devlink::TOneHidVar v;
  v.DoCreate(devlink::kRptInput, devlink::kUsagePage, 2, 7, "resp");
  ASSERT_TRUE(v.Bind(s.agent.get()));
  const int handle = v.HidHandle;
  const int index = v.VarIndex;
  ASSERT_TRUE(v.Bind(s.agent.get()));  // again: same place
  EXPECT_EQ(v.VarIndex, index);
  v.UnBind();
  EXPECT_FALSE(v.IsBound());
  EXPECT_EQ(v.RptIndex, -1);
  EXPECT_EQ(v.LogicalMaximum, 0);
  EXPECT_EQ(v.HidHandle, handle);
  EXPECT_FALSE(v.update(true));
  EXPECT_EQ(v.UnScaledValue(), 0);
  EXPECT_EQ(v.ScaleMode(), devlink::smUnscaledOnly);
}

TEST(Binding, VariableUpdateMovesWholeReports) {
  auto s = MakeScriptedAgent();
  auto& dev = s.bus->Add("a", kVid, kPid, virtualboard::BoardReportDescriptor());
  s.agent->FindDevices();
  s.agent->SelectInterface(0);
  devlink::TOneHidVar in, out;
  in.DoCreate(devlink::kRptInput, devlink::kUsagePage, 2, 1, "in");
  out.DoCreate(devlink::kRptOutput, devlink::kUsagePage, 1, 1, "out");
  ASSERT_TRUE(in.Bind(s.agent.get()));
  ASSERT_TRUE(out.Bind(s.agent.get()));
  out.SetUnScaledValue(42);
  EXPECT_TRUE(out.update(false));
  ASSERT_EQ(dev.written.size(), 1u);
  EXPECT_EQ(dev.written[0].second[0], 42);
  dev.answers.push_back({7, 9});
  EXPECT_TRUE(in.update(true));
  EXPECT_EQ(in.UnScaledValue(), 7);
  EXPECT_DOUBLE_EQ(in.ScaledValue(), 7.0);
  EXPECT_FALSE(in.update(true));  // nothing more to read
}

// An agent that fails inside FindVar, to see the variable layer's error.
class FailingAgent : public devlink::ReportAgent {
 public:
  using ReportAgent::ReportAgent;
  int FindVar(int, int, int, bool) override { throw devlink::HidAgentError("broken"); }
};

TEST(Binding, UnexpectedErrorsBecomeApplicationError9999) {
  FailingAgent agent(std::make_unique<testing_support::ScriptedBus>());
  devlink::TOneHidVar v;
  try {
    v.Bind(&agent);
    FAIL() << "Bind should have thrown";
  } catch (const devlink::AppError& e) {
    EXPECT_EQ(e.Number(), 9999);
    EXPECT_STREQ(e.what(), "An unknown error has occurred!");
    EXPECT_EQ(e.Source(), "OneHidVar:Bind Method");
  }
}

TEST(DeviceLinks, SplitInterfacesGiveOneLink) {
  auto s = MakeScriptedAgent();
  auto& cmd = s.bus->Add("cmd", kVid, kPid, virtualboard::CommandOnlyDescriptor());
  auto& rsp = s.bus->Add("rsp", kVid, kPid, virtualboard::ResponseOnlyDescriptor());
  devlink::DeviceLinks links;
  std::vector<int> unboundAfterEach;
  s.agent->InterfaceOpened = [&](int, int, int, const std::string&) {
    links.InterfaceOpened(*s.agent);
    unboundAfterEach.push_back(links.LastLink()->UnboundVarCount());
  };
  ASSERT_TRUE(s.agent->FindDevices());
  EXPECT_EQ(unboundAfterEach, (std::vector<int>{1, 0}));
  ASSERT_EQ(links.Count(), 1u);
  rsp.answers.push_back({0x10, 0x25});
  EXPECT_EQ(links.First()->GetID(), 0x1025);
  EXPECT_EQ(cmd.written.size(), 1u);
  EXPECT_TRUE(rsp.written.empty());
}

TEST(DeviceLinks, AnInterfaceWithoutTheVariablesMakesNoLink) {
  auto s = MakeScriptedAgent();
  s.bus->Add("other", kVid, kPid, kOtherVendorInterface);
  s.bus->Add("board", kVid, kPid, virtualboard::BoardReportDescriptor());
  devlink::DeviceLinks links;
  s.agent->InterfaceOpened = [&](int, int, int, const std::string&) {
    links.InterfaceOpened(*s.agent);
  };
  s.agent->FindDevices();
  ASSERT_EQ(links.Count(), 1u);
  EXPECT_EQ(links.First()->UnboundVarCount(), 0);
}

TEST(DeviceLinks, ClosingAnInterfaceDropsItsLinkAndRebindsTheRest) {
  auto s = MakeScriptedAgent();
  auto& first = s.bus->Add("one", kVid, kPid, virtualboard::BoardReportDescriptor());
  auto& second = s.bus->Add("two", kVid, kPid, virtualboard::BoardReportDescriptor());
  devlink::DeviceLinks links;
  std::vector<std::string> events;
  s.agent->InterfaceOpened = [&](int, int, int, const std::string&) {
    links.InterfaceOpened(*s.agent);
  };
  s.agent->InterfaceClosed = [&](int still, const std::string& name, int handle) {
    events.push_back("closed " + std::to_string(still) + " " + std::to_string(handle));
    links.InterfaceClosed(*s.agent, still, name, handle);
  };
  s.agent->DeviceRemoved = [&](int, const std::string& name) {
    events.push_back("removed " + name);
  };
  s.agent->DeviceArrived = [&](int, const std::string& name) {
    events.push_back("arrived " + name);
  };
  s.agent->FindDevices();
  ASSERT_EQ(links.Count(), 2u);
  TLS* survivor = &links.At(1);
  const int outBefore = survivor->OutputReportIndex();

  first.present = false;
  s.agent->ProcessEvents();
  EXPECT_EQ(events, (std::vector<std::string>{"closed 1 1", "removed one"}));
  ASSERT_EQ(links.Count(), 1u);
  EXPECT_EQ(links.First(), survivor);
  EXPECT_EQ(survivor->OutputReportIndex(), outBefore);  // numbers are stable
  EXPECT_EQ(s.agent->InterfaceCount(), 1);
  EXPECT_TRUE(survivor->Reset());
  EXPECT_EQ(second.written.size(), 1u);

  first.present = true;
  events.clear();
  s.agent->ProcessEvents();
  EXPECT_EQ(events, (std::vector<std::string>{"arrived scripted"}));
  EXPECT_EQ(s.agent->InterfaceCount(), 1);  // arrival opens nothing by itself
  s.agent->FindDevices();
  EXPECT_EQ(s.agent->InterfaceCount(), 2);
  EXPECT_EQ(links.Count(), 2u);
}

// Two boards, A and B, opened in this order; B is unplugged and A must go
// on answering. A is split (command and response on two interfaces) or has
// an extra interface, opened first, that carries neither variable. Both
// run on the agent as it is and on one that numbers everything anew at a
// close, where A works on only when it was bound again.
TEST(DeviceLinks, UnpluggingOneBoardLeavesTheOtherBound) {
  for (const bool renumbering : {false, true}) {
    for (const bool split : {true, false}) {
      SCOPED_TRACE(std::string(split ? "split" : "extra interface") +
                   (renumbering ? ", renumbering agent" : ""));
      auto s = MakeScriptedAgent(renumbering);
      testing_support::ScriptedDevice *aCmd, *aRsp;
      if (split) {
        aCmd = &s.bus->Add("a-cmd", kVid, kPid, virtualboard::CommandOnlyDescriptor());
        aRsp = &s.bus->Add("a-rsp", kVid, kPid, virtualboard::ResponseOnlyDescriptor());
      } else {
        s.bus->Add("a-extra", kVid, kPid, kOtherVendorInterface);
        aCmd = aRsp = &s.bus->Add("a", kVid, kPid, virtualboard::BoardReportDescriptor());
      }
      auto& b = s.bus->Add("b", kVid, kPid, virtualboard::BoardReportDescriptor());
      devlink::DeviceLinks links;
      s.agent->InterfaceOpened = [&](int, int, int, const std::string&) {
        links.InterfaceOpened(*s.agent);
      };
      s.agent->InterfaceClosed = [&](int still, const std::string& name, int handle) {
        links.InterfaceClosed(*s.agent, still, name, handle);
      };
      ASSERT_TRUE(s.agent->FindDevices());
      ASSERT_EQ(links.Count(), 2u);
      TLS* a = links.First();

      b.present = false;
      s.agent->ProcessEvents();
      ASSERT_EQ(links.Count(), 1u);
      ASSERT_EQ(links.First(), a);
      EXPECT_EQ(a->UnboundVarCount(), 0);
      const size_t written = aCmd->written.size();
      aRsp->answers.push_back({0x10, 0x25});
      EXPECT_EQ(a->GetID(), 0x1025);  // its own output and input reports
      EXPECT_EQ(aCmd->written.size(), written + 1);
      EXPECT_TRUE(aRsp->answers.empty());
      EXPECT_TRUE(b.answers.empty());
    }
  }
}

TEST(DeviceLinks, ADeviceThatCannotBeOpenedYetIsOfferedAgain) {
  auto s = MakeScriptedAgent();
  auto& board = s.bus->Add("board", kVid, kPid, virtualboard::BoardReportDescriptor());
  board.openable = false;  // e.g. before its permissions are set
  int arrivals = 0;
  s.agent->DeviceArrived = [&](int, const std::string&) {
    ++arrivals;
    s.agent->FindDevices();
  };
  EXPECT_FALSE(s.agent->FindDevices());
  s.agent->ProcessEvents();
  s.agent->ProcessEvents();
  EXPECT_EQ(arrivals, 2);
  board.openable = true;
  s.agent->ProcessEvents();
  EXPECT_EQ(arrivals, 3);
  EXPECT_EQ(s.agent->InterfaceCount(), 1);
  s.agent->ProcessEvents();  // open now: no more arrivals
  EXPECT_EQ(arrivals, 3);
}

}  // namespace
