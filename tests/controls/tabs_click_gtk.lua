-- Under GTK with real X input: a click on the second tab shows its page
-- and reaches the tabchange method.
dofile("harness.lua")
dofile("xinput.lua")

-- pages that are boxes: hiding a page hides the controls it holds
local first_label, second_label = iuplabel { title = "first page" }, iuplabel { title = "second page" }
local first = iupvbox { first_label, tabtitle = "A" }
local second = iupvbox { second_label, tabtitle = "Second" }
local changes = {}
local tabs = iuptabs { first, second, fontheight = 24,
                       tabchange = function(self, new_page, old_page)
                         changes[#changes + 1] = IupGetAttribute(old_page, "TABTITLE") .. ">" ..
                                                 IupGetAttribute(new_page, "TABTITLE")
                         return IUP_DEFAULT
                       end }
local dlg = iupdialog { tabs, title = "tabs-click", rastersize = "260x120" }
dlg:showxy(40, 40)

-- the first tab spans 2 pixels plus "A"'s width plus 16; the second starts
-- there and is at least "Second"'s width plus 16 long: x 40 falls on it
local window
xinput.steps({
  { what = "the window appears", action = function() window = xinput.window("tabs-click") end,
    done = function() return window ~= nil end },
  { what = "only the first page's controls show", done = function()
      return IupGetAttribute(first_label, "VISIBLE") == "YES" and IupGetAttribute(second_label, "VISIBLE") == "NO"
    end },
  { what = "the second tab clicked",
    action = function() xinput.click(window, 40, 12) end,
    done = function() return IupGetHandle(tabs.value) == second end, retry = 3 },
}, function()
  check_eq(IupGetHandle(tabs.value), second, "the click showed the second page")
  check_eq(changes[1], "A>Second", "tabchange saw the change")
  check_eq(#changes, 1, "one change for one click")
  check_eq(IupGetAttribute(first_label, "VISIBLE"), "NO", "the first page's label is hidden")
  check_eq(IupGetAttribute(second_label, "VISIBLE"), "YES", "the second page's label shows")
  finish()
  dlg:hide()
end)
