// The form library: ownership, creation events and modal display.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/Forms.h"

namespace zeb {

namespace {

class TracedForm : public TForm {
 public:
  TracedForm(TComponent* owner) : TForm(owner), memo(new TMemo(this)) {
    InsertControl(*memo);
    OnCreate = [this](TComponent* sender) {
      EXPECT_EQ(sender, this);
      memo->Lines.Add("created");
      if (raiseOnCreate) throw std::runtime_error("boom");
    };
  }
  ~TracedForm() override { ++destroyed; }

  TMemo* memo;
  static inline bool raiseOnCreate = false;
  static inline int destroyed = 0;
};

TEST(TComponent, OwnerFreesWhatItOwnsAndAFreedChildLeavesItsOwner) {
  TracedForm::destroyed = 0;
  {
    TComponent owner(nullptr);
    auto* a = CreateForm<TracedForm>(&owner);
    CreateForm<TracedForm>(&owner);
    EXPECT_EQ(owner.ComponentCount(), 2u);
    delete a;
    EXPECT_EQ(owner.ComponentCount(), 1u);
    EXPECT_EQ(TracedForm::destroyed, 1);
  }
  EXPECT_EQ(TracedForm::destroyed, 2);
}

TEST(TForm, ControlsLeaveTheFormWhenFreed) {
  TracedForm form(nullptr);
  EXPECT_EQ(form.Controls().size(), 1u);
  delete form.memo;
  EXPECT_TRUE(form.Controls().empty());
  EXPECT_EQ(form.ComponentCount(), 0u);
}

TEST(TForm, ExceptionFromOnCreateGoesToTheApplicationAndTheFormLives) {
  std::vector<std::string> reported;
  Application->SetExceptionHandler([&](std::exception_ptr e) {
    const auto d = DescribeException(e);
    reported.push_back(d.className + ": " + d.message);
  });
  TracedForm::raiseOnCreate = true;
  TracedForm* form = CreateForm<TracedForm>(Application);
  TracedForm::raiseOnCreate = false;
  Application->SetExceptionHandler({});

  EXPECT_EQ(form->memo->Lines.Lines(), std::vector<std::string>{"created"});
  EXPECT_EQ(reported, std::vector<std::string>{"std::runtime_error: boom"});
  EXPECT_EQ(Application->ComponentCount(), 1u);
  Application->DestroyComponents();
  EXPECT_EQ(Application->ComponentCount(), 0u);
}

TEST(TForm, ShowModalWithoutAPresenterRaises) {
  TracedForm form(nullptr);
  form.Caption = "Dialog";
  Application->SetModalPresenter(nullptr);
  EXPECT_THROW(form.ShowModal(), EInvalidOperation);
}

TEST(TForm, ShowModalGoesThroughThePresenter) {
  struct Presenter : IModalPresenter {
    TModalResult ShowModal(TForm& form) override {
      captions.push_back(form.Caption);
      return mrOk;
    }
    std::vector<std::string> captions;
  } presenter;
  Application->SetModalPresenter(&presenter);
  TracedForm form(nullptr);
  form.Caption = "Dialog";
  EXPECT_EQ(form.ShowModal(), mrOk);
  Application->SetModalPresenter(nullptr);
  EXPECT_EQ(presenter.captions, std::vector<std::string>{"Dialog"});
}

TEST(TFont, PointSizeFollowsHeightAndResolution) {
  TFont font;
  font.Height = -12;
  EXPECT_EQ(font.Size(96), 9);
  font.Height = -16;
  EXPECT_EQ(font.Size(96), 12);
  EXPECT_EQ(font.Size(0), 0);
}

TEST(DescribeException, NamesRuntimeStandardAndForeignExceptions) {
  const auto describe = [](auto thrower) {
    try {
      thrower();
    } catch (...) {
      return DescribeException(std::current_exception());
    }
    return ExceptionDescription{};
  };
  auto a = describe([] { throw EConvertError("bad format"); });
  EXPECT_EQ(a.className, "EConvertError");
  EXPECT_EQ(a.message, "bad format");
  auto b = describe([] { throw std::out_of_range("index"); });
  EXPECT_EQ(b.className, "std::out_of_range");
  EXPECT_EQ(b.message, "index");
  auto c = describe([] { throw 42; });
  EXPECT_EQ(c.className, "int");
  EXPECT_EQ(c.message, "unknown exception");
}

}  // namespace

}  // namespace zeb
