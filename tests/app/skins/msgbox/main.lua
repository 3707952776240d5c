-- Shows one message box and returns when it is closed.
function main()
  MsgBox("first copy", "QuillonSingleInstanceTest")
end
