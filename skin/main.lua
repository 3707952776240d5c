-- The default skin's start script.
function main()
  MsgBox("Quillon is running.", "Mellowin")
end
