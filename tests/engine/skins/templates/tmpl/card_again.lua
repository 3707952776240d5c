card_again_ran = (card_again_ran or 0) + 1
