-- The tabs' script binding: misuse messages, pages taken from the table
-- up to the first entry that is not an element, the tabchange method with
-- its refusal, and switching by click and keys on the headless toolkit.
dofile("harness.lua")

local incorrect = "IupCreateTabs: incorrect arguments to function"
check_errors {
  { "IupCreateTabs without arguments", function() IupCreateTabs() end, incorrect },
  { "IupCreateTabs with a text", function() IupCreateTabs("pages") end, incorrect },
  { "IupCreateTabs with two tables", function() IupCreateTabs({}, {}) end, incorrect },
}
local owned = iuplabel { title = "owned" }
local holder = iuphbox { owned }
check_error(function() IupCreateTabs({ owned }) end, "IupCreateTabs: page 1 already has a parent!",
            "a page that has a parent already")
for _, case in ipairs {
  { "iuptabs without a table", function() iuptabs("x") end,
    "parameter 1 of 'iuptabs' has wrong value or is not initialized" },
  { "iuptabs with a name that is no text", function() iuptabs { name = 3 } end, "option name must be a string" },
} do
  local ok, message = pcall(case[2])
  check(not ok and message:sub(-#case[3]) == case[3], case[1] .. ": " .. tostring(message))
end

-- no pages: made, shows nothing, clicks and keys do nothing
local empty = IupCreateTabs({})
check_eq(IupGetAttribute(empty, "TYPENAME"), "TABS", "tabs without pages")
check_eq(IupGetAttribute(empty, "VALUE"), nil, "no page, no VALUE")

-- pages up to the first entry that is not an element
local a, b, c = iuplabel { title = "a", tabtitle = "Alpha" }, iuplabel { title = "b", tabtitle = "Beta" },
                iuplabel { title = "c", tabtitle = "Gamma" }
local stray = iuplabel { title = "stray" }
local seen, refuse = {}, false
local tabs = iuptabs { a, b, c, "stop", stray, fontheight = 24,
                       tabchange = function(self, new_page, old_page)
                         seen[#seen + 1] = IupGetAttribute(old_page, "TABTITLE") .. ">" ..
                                           IupGetAttribute(new_page, "TABTITLE")
                         if refuse then return IUP_IGNORE end
                         return IUP_DEFAULT
                       end }
check_eq(IupGetAttribute(tabs, "TABCHANGE_CB"), "tabs_tabchange", "the trampoline is bound")
check(pcall(IupCreateTabs, { stray }), "an entry after a non-element is not a page (it has no parent)")
check_eq(IupGetHandle(tabs.value), a, "the first page shows")

local dialog = iupdialog { iupvbox { tabs, empty, holder }, rastersize = "320x200" }
dialog:show()
iuptest.step()
iuptest.focus(tabs)
iuptest.key(K_RIGHT)
iuptest.deliver()
check_eq(IupGetHandle(tabs.value), b, "K_RIGHT shows the next page")
check_eq(seen[1], "Alpha>Beta", "tabchange gets the new and old page")
check(iuptest.visible(b) and not iuptest.visible(a), "only the current page is visible")
refuse = true
iuptest.key(K_LEFT)
iuptest.deliver()
check_eq(IupGetHandle(tabs.value), b, "tabchange returning IUP_IGNORE keeps the page")
refuse = false
c.active = "NO"
iuptest.key(K_RIGHT)
iuptest.deliver()
check_eq(IupGetHandle(tabs.value), b, "an inactive page is not selected")
check_eq(#seen, 2, "no tabchange for an inactive page")
tabs.value = IupGetName(a)
check_eq(IupGetHandle(tabs.value), a, "VALUE shows a page")
-- a click at the start of the strip lands on the first tab: no change
iuptest.press(tabs, IUP_BUTTON1, 5, 10)
iuptest.release(tabs, IUP_BUTTON1, 5, 10)
iuptest.press(empty, IUP_BUTTON1, 5, 10)
iuptest.release(empty, IUP_BUTTON1, 5, 10)
iuptest.focus(empty)
iuptest.key(K_RIGHT)
iuptest.deliver()
check_eq(IupGetHandle(tabs.value), a, "a click on the current tab keeps it")

-- a method that raises an error: reported, and taken as IUP_IGNORE
tabs.tabchange = function() error("broken") end
iuptest.focus(tabs)
iuptest.key(K_RIGHT)
iuptest.deliver()
check_eq(IupGetHandle(tabs.value), a, "an erring tabchange keeps the page")

dialog:destroy()
finish()
